// The settings decoders on arbitrary stored data, as a hand-edited or damaged
// INI file or registry value hands it over: the INI text, stored value texts,
// number texts, property map lines and a string holder's stored form. The first
// byte picks the decoder. Each must take anything without a crash, and what it
// writes must read back to what it holds.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "settings/TWregIniFile.h"
#include "settings/TWregMapLine.h"
#include "settings/TWregNumberText.h"
#include "settings/TWregValueText.h"
#include "settings/moxStringHolder.h"

namespace {

// A rewrite of a parsed INI text parses to the same text, and a key set is found.
void IniText(FuzzedDataProvider& input) {
  const std::string key = input.ConsumeRandomLengthString(16);
  const std::string value = input.ConsumeRandomLengthString(16);
  TWregIniFile file;
  file.Parse(input.ConsumeRemainingBytesAsString());
  const std::string text = file.Text();
  TWregIniFile again;
  again.Parse(text);
  Check(again.Text() == text);
  if (key.find_first_of("=[]\r\n") != std::string::npos ||
      value.find_first_of("\r\n") != std::string::npos)
    return;
  file.Set("Common", key, value);
  const std::string* found = file.Find("Common", key);
  Check(found != nullptr);
}

// Stored value texts: any text decodes; what is encoded is ASCII from the space up (inner
// single spaces stay), and plain ASCII text comes back unchanged.
void ValueText(FuzzedDataProvider& input) {
  const std::string text = input.ConsumeRemainingBytesAsString();
  DecodeValueText(text);
  const std::string stored = EncodeValueText(text);
  for (const char c : stored) Check(c >= 0x20 && c <= 0x7F);
  bool ascii = true;
  for (const char c : text) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
  if (ascii) Check(DecodeValueText(stored) == text);
}

// Number texts: a number read is written and read back to the same value.
void NumberText(FuzzedDataProvider& input) {
  const std::string text = input.ConsumeRemainingBytesAsString();
  BooleanOf(ParseIntegerText(text));
  const std::optional<double> number = ParseDoubleText(text);
  if (!number) return;
  const std::optional<double> again = ParseDoubleText(FormatDoubleText(*number, ','));
  Check(again.has_value());
}

// Property map lines: a line taken names a property (its value name may be empty,
// the key's default value, as in "Path,Sub\\").
void MapLine(FuzzedDataProvider& input) {
  const std::optional<TWregMapLine> line = ParseMapLine(input.ConsumeRemainingBytesAsString());
  if (line) Check(!line->PropertyName.empty());
}

// A string holder's stored form: a malformed one is refused and leaves the
// lines as they were; one taken is written back to a form that reads the same.
void HolderForm(FuzzedDataProvider& input) {
  TmoxStrHolder holder(nullptr);
  holder.SetSorted(input.ConsumeBool());
  holder.SetDuplicates(input.ConsumeIntegralInRange<int32_t>(0, 2));
  holder.SetStrings({"kept"});
  TmoxStrHolderStoredForm form;
  form.InternalVer =
      input.ConsumeBool() ? TmoxStrHolder::kStoredFormVersion : input.ConsumeIntegral<int32_t>();
  while (input.remaining_bytes() > 0) form.StrData.push_back(input.ConsumeRandomLengthString(64));
  try {
    holder.ReadStoredForm(form);
  } catch (const EmoxStrHolder&) {
    Check(holder.Strings() == std::vector<std::string>{"kept"});
    return;
  }
  TmoxStrHolder copy(nullptr);
  copy.ReadStoredForm(holder.WriteStoredForm());
  Check(copy.Strings() == holder.Strings());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  switch (input.ConsumeIntegralInRange<uint8_t>(0, 4)) {
    case 0:
      IniText(input);
      break;
    case 1:
      ValueText(input);
      break;
    case 2:
      NumberText(input);
      break;
    case 3:
      MapLine(input);
      break;
    default:
      HolderForm(input);
      break;
  }
  return 0;
}
