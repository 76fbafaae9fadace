#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>

#include "moxShared/Public/Common/moxParamLstIntf.h"
#include "moxShared/Public/Common/moxVariant.h"

namespace {

// What crosses the boundary, as the 32-bit host lays it out.
#if defined(__i386__)
static_assert(sizeof(TVarData) == 16, "a VARIANT is 16 bytes");
static_assert(offsetof(TVarData, VType) == 0, "the type code leads");
static_assert(offsetof(TVarData, I8) == 8, "the value starts at offset 8");
static_assert(sizeof(platform::Guid) == 16, "a GUID is 16 bytes");
static_assert(sizeof(void*) == 4 && sizeof(TmoxBool) == 1 && sizeof(HResult) == 4,
              "pointers, Booleans and statuses of the 32-bit interface");
#endif

TEST(AbiLayout, VariantMembersShareTheValueField) {
  EXPECT_EQ(sizeof(TVarData), 8 + 2 * sizeof(void*));  // as the system's VARIANT
  TVarData value{};
  value.I8 = 0x1122334455667788LL;
  EXPECT_EQ(value.UI1, 0x88);  // little-endian: every member starts at the same byte
  EXPECT_EQ(value.I4, 0x55667788);
}

TEST(AbiLayout, InterfaceIdentifiers) {
  EXPECT_EQ(IID_ImoxParamsListA.Data1, 0x33316D29u);
  EXPECT_EQ(IID_ImoxParamsListA.Data4[7], 0xB1);
  EXPECT_EQ(IID_ImoxParamsListW.Data4[7], 0xB2);
  EXPECT_EQ(IID_ImoxParamsListItemA.Data4[7], 0xB4);
  EXPECT_EQ(IID_ImoxParamsListItemW.Data4[7], 0xB6);
  EXPECT_NE(IID_ImoxParamsListA, IID_ImoxParamsListW);
}

}  // namespace
