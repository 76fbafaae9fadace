#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ReadAddress.h"

// The address grammar of --read: every form S7 users write, the limits, and
// the refusals with their reasons.

namespace {

using plchost::ParseReadValue;
using plchost::TAddressArea;
using plchost::TReadValue;
using plchost::TValueType;

struct TAccepted {
  std::string Text;
  TAddressArea Area;
  int32_t Block;
  int32_t Offset;
  int Bit;
  TValueType Type;
  int32_t Bytes;
  std::string Name;
};

TEST(PlchostReadAddress, TakesEveryFormWithItsDefaultType) {
  using A = TAddressArea;
  using T = TValueType;
  const std::vector<TAccepted> cases = {
      {"DB10.DBX4.3", A::DataBlock, 10, 4, 3, T::Bool, 1, "DB10.DBX4.3"},
      {"DB10.DBB0", A::DataBlock, 10, 0, -1, T::Byte, 1, "DB10.DBB0"},
      {"DB10.DBW2", A::DataBlock, 10, 2, -1, T::Word, 2, "DB10.DBW2"},
      {"DB10.DBD4", A::DataBlock, 10, 4, -1, T::DWord, 4, "DB10.DBD4"},
      {"db65535.dbd65532", A::DataBlock, 65535, 65532, -1, T::DWord, 4, "DB65535.DBD65532"},
      {"MB10", A::Flags, 0, 10, -1, T::Byte, 1, "MB10"},
      {"MW10", A::Flags, 0, 10, -1, T::Word, 2, "MW10"},
      {"MD10", A::Flags, 0, 10, -1, T::DWord, 4, "MD10"},
      {"M0.1", A::Flags, 0, 0, 1, T::Bool, 1, "M0.1"},
      {"IB0", A::Inputs, 0, 0, -1, T::Byte, 1, "IB0"},
      {"IW0", A::Inputs, 0, 0, -1, T::Word, 2, "IW0"},
      {"ID0", A::Inputs, 0, 0, -1, T::DWord, 4, "ID0"},
      {"I0.0", A::Inputs, 0, 0, 0, T::Bool, 1, "I0.0"},
      {"EB1", A::Inputs, 0, 1, -1, T::Byte, 1, "EB1"},
      {"EW2", A::Inputs, 0, 2, -1, T::Word, 2, "EW2"},
      {"ED4", A::Inputs, 0, 4, -1, T::DWord, 4, "ED4"},
      {"E1.7", A::Inputs, 0, 1, 7, T::Bool, 1, "E1.7"},
      {"QB0", A::Outputs, 0, 0, -1, T::Byte, 1, "QB0"},
      {"QW0", A::Outputs, 0, 0, -1, T::Word, 2, "QW0"},
      {"QD0", A::Outputs, 0, 0, -1, T::DWord, 4, "QD0"},
      {"Q0.0", A::Outputs, 0, 0, 0, T::Bool, 1, "Q0.0"},
      {"AB3", A::Outputs, 0, 3, -1, T::Byte, 1, "AB3"},
      {"AW4", A::Outputs, 0, 4, -1, T::Word, 2, "AW4"},
      {"AD8", A::Outputs, 0, 8, -1, T::DWord, 4, "AD8"},
      {"A2.5", A::Outputs, 0, 2, 5, T::Bool, 1, "A2.5"},
      {"C5", A::Counters, 0, 5, -1, T::Word, 2, "C5"},
      {"Z7", A::Counters, 0, 7, -1, T::Word, 2, "Z7"},
      {"T3", A::Timers, 0, 3, -1, T::Word, 2, "T3"},
      {"PIW256", A::Peripheral, 0, 256, -1, T::Word, 2, "PIW256"},
      {"PIB256", A::Peripheral, 0, 256, -1, T::Byte, 1, "PIB256"},
      {"PID260", A::Peripheral, 0, 260, -1, T::DWord, 4, "PID260"},
      {"PEW256", A::Peripheral, 0, 256, -1, T::Word, 2, "PEW256"},
      {"PQW256", A::Peripheral, 0, 256, -1, T::Word, 2, "PQW256"},
      {"PAW258", A::Peripheral, 0, 258, -1, T::Word, 2, "PAW258"},
      // Types, names, and the limits.
      {"DB1.DBW2:int=PRESSURE", A::DataBlock, 1, 2, -1, T::Int, 2, "PRESSURE"},
      {"DB1.DBD4:dint", A::DataBlock, 1, 4, -1, T::DInt, 4, "DB1.DBD4"},
      {"DB1.DBD4:REAL=Temp 1", A::DataBlock, 1, 4, -1, T::Real, 4, "Temp 1"},
      {"DB1.DBB8:lreal", A::DataBlock, 1, 8, -1, T::LReal, 8, "DB1.DBB8"},
      {"DB1.DBB20:string[20]=MSG", A::DataBlock, 1, 20, -1, T::String, 22, "MSG"},
      {"DB1.DBB20:char[4]", A::DataBlock, 1, 20, -1, T::Chars, 4, "DB1.DBB20"},
      {"MB0:char", A::Flags, 0, 0, -1, T::Chars, 1, "MB0"},
      {"DB1.DBB0:string[254]", A::DataBlock, 1, 0, -1, T::String, 256, "DB1.DBB0"},
      {"MW0:word", A::Flags, 0, 0, -1, T::Word, 2, "MW0"},
      {"MD0:dword", A::Flags, 0, 0, -1, T::DWord, 4, "MD0"},
      {"MB65535", A::Flags, 0, 65535, -1, T::Byte, 1, "MB65535"},
      {"C65535:int", A::Counters, 0, 65535, -1, T::Int, 2, "C65535"},
      {"M1.0:bool=A=B", A::Flags, 0, 1, 0, T::Bool, 1, "A=B"},
  };
  for (const TAccepted& expected : cases) {
    SCOPED_TRACE(expected.Text);
    const TReadValue value = ParseReadValue(expected.Text);
    EXPECT_EQ(value.Area, expected.Area);
    EXPECT_EQ(value.DBNumber, expected.Block);
    EXPECT_EQ(value.Offset, expected.Offset);
    EXPECT_EQ(value.Bit, expected.Bit);
    EXPECT_EQ(value.Type, expected.Type);
    EXPECT_EQ(plchost::ValueBytes(value), expected.Bytes);
    EXPECT_EQ(value.Name, expected.Name);
  }
}

TEST(PlchostReadAddress, RefusesWithTheReasonAndTheAcceptedForms) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"", "the address is missing"},
      {"=X", "the address is missing"},
      {"XB0", "unknown memory area"},
      {"DB0.DBW0", "the data block number 0 is outside 1..65535"},
      {"DB65536.DBW0", "the data block number 65536 is outside 1..65535"},
      {"DB1234567.DBW0", "the data block number is too large"},
      {"DB.DBW0", "the data block number is missing"},
      {"DB1.DBW", "the byte address is missing"},
      {"DB1.W2", "a data block address is DB<n>.DBX, .DBB, .DBW or .DBD"},
      {"DB1.DBQ2", "a data block address is DB<n>.DBX, .DBB, .DBW or .DBD"},
      {"DB1.DBX4", "a bit address needs its bit number: BYTE.BIT"},
      {"DB1.DBX4.8", "the bit number 8 is outside 0..7"},
      {"DB1.DBW4.1", "a bit number belongs to bit addresses only"},
      {"M0", "a bit address needs its bit number"},
      {"M0.", "the bit number is missing"},
      {"MB65536", "the byte address 65536 is outside 0..65535"},
      {"MW65535", "the value ends beyond byte 65535"},
      {"MB0 ", "unexpected \" \""},
      {"MW-1", "the byte address is missing"},
      {"PI0.0", "peripheral I/O is read as bytes, words or double words"},
      {"CW5", "the number is missing"},
      {"C5.1", "unexpected \".1\""},
      {"DB1.DBW0:float", "unknown type \"float\""},
      {"DB1.DBW0:", "unknown type \"\""},
      {"DB1.DBB0:string", "string needs its length: string[N]"},
      {"DB1.DBB0:string[0]", "string length 0 is outside 1..254"},
      {"DB1.DBB0:char[255]", "char length 255 is outside 1..254"},
      {"DB1.DBB0:char[x]", "\"x\" is not a length"},
      {"DB1.DBB0:int", "int takes 2 bytes: write DB1.DBW0:int"},
      {"DB1.DBW0:real", "real takes 4 bytes: write DB1.DBD0:real"},
      {"DB1.DBD0:lreal", "lreal takes 8 bytes: write DB1.DBB0:lreal"},
      {"DB1.DBW0:string[4]", "string[4] takes 6 bytes: write DB1.DBB0:string[4]"},
      {"EB0:bool", "bool needs a bit address such as DB10.DBX4.3 or M0.1"},
      {"M0.1:byte", "a bit address reads a bool, not byte"},
      {"C5:real", "a counter or timer is read as word or int"},
      {"DB1.DBB65500:string[40]", "the value ends beyond byte 65535"},
      {"MB0=", "the name after \"=\" is empty"},
      {"MB0=A|B", "a name holds no control characters and no \"|\""},
      {"MB0=A\tB", "a name holds no control characters"},
      {"MB0= A", "a name neither starts nor ends with a blank"},
  };
  for (const auto& [text, reason] : cases) {
    try {
      ParseReadValue(text);
      ADD_FAILURE() << "\"" << text << "\" was taken";
    } catch (const plchost::EAddress& error) {
      const std::string message = error.what();
      const std::string head = "--read \"" + text + "\": " + reason;
      EXPECT_EQ(message.rfind(head, 0), 0u) << message;
      EXPECT_NE(message.find("accepted forms: DB10.DBX4.3"), std::string::npos) << message;
    }
  }
}

}  // namespace
