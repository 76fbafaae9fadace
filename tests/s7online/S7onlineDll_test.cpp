// The vendor's DLL as the library loads it on Windows: missing, of the wrong
// kind, lacking a function, refusing the access point, and then the stand-in
// DLL through which a connection reads plcsim's memory.
#if defined(_WIN32)
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "S7onlineTestSupport.h"
#include "nodave.h"

namespace {

constexpr const char* kBitness = sizeof(void*) == 8 ? "64-bit" : "32-bit";

std::string ProgramFolder() {
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  const std::string program(path, length);
  return program.substr(0, program.find_last_of("\\/"));
}

// Adds a folder to the DLL search while it lives, as an installation would place
// the DLL in the program's or the system's folder.
class DllSearch {
 public:
  explicit DllSearch(const std::string& folder) {
    wchar_t full[MAX_PATH];
    const std::wstring wide(folder.begin(), folder.end());
    GetFullPathNameW(wide.c_str(), MAX_PATH, full, nullptr);
    cookie_ = AddDllDirectory(full);
  }
  ~DllSearch() {
    if (cookie_ != nullptr) RemoveDllDirectory(cookie_);
  }
  DllSearch(const DllSearch&) = delete;
  DllSearch& operator=(const DllSearch&) = delete;
  bool Added() const { return cookie_ != nullptr; }

 private:
  DLL_DIRECTORY_COOKIE cookie_ = nullptr;
};

// A folder whose S7onlinx.dll is no DLL at all.
std::string FolderWithGarbageDll() {
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  const std::string folder =
      std::string(temp) + "s7online-garbage-" + std::to_string(GetCurrentProcessId());
  CreateDirectoryA(folder.c_str(), nullptr);
  std::ofstream(folder + "\\S7onlinx.dll") << "this is not a DLL\n";
  return folder;
}

void RemoveGarbage(const std::string& folder) {
  DeleteFileA((folder + "\\S7onlinx.dll").c_str());
  RemoveDirectoryA(folder.c_str());
}

void ExpectOpenFails(const char* what, int32_t code, const std::vector<std::string>& parts) {
  EXPECT_EQ(openS7online("S7ONLINE", nullptr), -1) << what;
  EXPECT_EQ(daveS7onlineError(), code) << what;
  const std::string text = daveStrerror(code);
  for (const std::string& part : parts) {
    EXPECT_NE(text.find(part), std::string::npos) << what << ": no '" << part << "' in " << text;
  }
}

// One test: the DLL, once loaded, stays loaded for the process.
TEST(S7onlineDll, EachFailureNamesWhatToDoAndALaterOpenRecovers) {
  ExpectOpenFails(
      "no DLL", daveResS7onlineDllMissing,
      {"S7onlinx.dll not found", "Windows error 126", "PC communication software", kBitness});
  {
    const std::string garbage = FolderWithGarbageDll();
    {
      const DllSearch search(garbage);
      ASSERT_TRUE(search.Added());
      ExpectOpenFails("no DLL at all", daveResS7onlineDllBitness,
                      {"Windows error 193", "cannot be loaded into this", kBitness});
    }
    RemoveGarbage(garbage);
  }
  {
    const DllSearch search(ProgramFolder() + "\\" + S7ONLINE_LACKING_FOLDER);
    ASSERT_TRUE(search.Added());
    ExpectOpenFails("no SCP_receive", daveResS7onlineExportMissing,
                    {"lacks a function", "(SCP_receive)", "reinstall"});
  }
  const DllSearch search(ProgramFolder() + "\\" + S7ONLINE_STANDIN_FOLDER);
  ASSERT_TRUE(search.Added());
  SetEnvironmentVariableA(standin::kAccessPointVariable, "CP_L2_1:");
  ExpectOpenFails("refused access point", daveResS7onlineOpenFailed,
                  {"SCP error 4865: CP name does not exist", "Set PG/PC interface"});

  const std::unique_ptr<ScriptServer> server = MemoryServer();
  SetEnvironmentVariableA(standin::kAccessPointVariable, nullptr);
  SetEnvironmentVariableA(standin::kPlcVariable,
                          ("127.0.0.1:" + std::to_string(server->Port())).c_str());
  const int32_t handle = openS7online("S7ONLINE", nullptr);
  ASSERT_GE(handle, 0);
  EXPECT_EQ(daveS7onlineError(), daveResOK);
  daveInterface* di =
      daveNewInterface(daveOSserialType{handle, handle}, "IF1", 0, daveProtoS7Online, 2);
  daveConnection* dc = daveNewConnection(di, 2, 0, 2);
  EXPECT_EQ(daveInitAdapter(di), daveResOK);
  ASSERT_EQ(daveConnectPLC(dc), daveResOK);
  Bytes db1(18);
  EXPECT_EQ(daveReadBytes(dc, daveDB, 1, 34, 18, db1.data()), daveResOK);
  EXPECT_EQ(db1, MemoryBytes({plcsim::Area::kDataBlocks, 1}, 34, 18));
  Bytes counters(4);
  EXPECT_EQ(daveReadBytes(dc, daveCounter, 0, 1, 4, counters.data()), daveResOK);
  EXPECT_EQ(counters, MemoryBytes({plcsim::Area::kCounters, 0}, 2, 4));
  daveDisconnectPLC(dc);
  daveFree(dc);
  daveDisconnectAdapter(di);
  daveFree(di);
  EXPECT_EQ(closeS7online(handle), daveResOK);
  SetEnvironmentVariableA(standin::kPlcVariable, nullptr);
}

}  // namespace
#endif
