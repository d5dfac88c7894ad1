// Resources compiled into the program: strings, icons, and version information
// read back from program files; the open-file dialog and beeps of the headless
// display.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <unistd.h>
#include "fs/drive_map.h"

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/platform/gui_test_resources.h"
#include "tests/platform/gui_test_support.h"

namespace {

// The Windows path of a host file through the default drive map (c: is "/").
std::string WindowsPath(std::string host) {
  for (char& c : host) {
    if (c == '/') c = '\\';
  }
  return "c:" + host;
}

std::string Upper(std::string text) {
  for (char& c : text)
    c = (char)toupper((unsigned char)c);
  return text;
}

std::vector<unsigned char> Bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

void Write(const std::string& path, const std::vector<unsigned char>& bytes) {
  std::ofstream(path, std::ios::binary).write((const char*)bytes.data(), (long)bytes.size());
}

class TempDir {
 public:
  TempDir() {
    char pattern[] = "/tmp/gui_resources_XXXXXX";
    path_ = mkdtemp(pattern);
  }
  ~TempDir() {
    std::string command = "rm -rf '" + path_ + "'";
    (void)!system(command.c_str());
  }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// The version block of a file, or empty when it has none.
std::vector<unsigned char> VersionBlock(const std::string& windowsPath) {
  DWORD handle = 99;
  DWORD size = GetFileVersionInfoSize(windowsPath.c_str(), &handle);
  EXPECT_EQ(handle, 0u);
  std::vector<unsigned char> block(size);
  if (size && !GetFileVersionInfo(windowsPath.c_str(), 0, size, block.data())) block.clear();
  return block;
}

std::string Value(const std::vector<unsigned char>& block, const char* key, UINT* length) {
  LPVOID value = nullptr;
  if (!VerQueryValue(block.data(), key, &value, length)) return "<none>";
  return (const char*)value;
}

}  // namespace

TEST(Strings, LoadStringCutsToTheBufferAndAnswersNothingForAMissingId) {
  char buffer[17];
  memset(buffer, 'z', sizeof buffer);
  EXPECT_EQ(LoadString(nullptr, guitest::kLongString, buffer, 8), 7);
  EXPECT_STREQ(buffer, "A strin");
  EXPECT_EQ(buffer[8], 'z');
  EXPECT_EQ(LoadString(GetModuleHandle(nullptr), 1, buffer, sizeof buffer), 16);
  EXPECT_STREQ(buffer, "Unable to regist");
  EXPECT_EQ(LoadString(nullptr, 424242, buffer, sizeof buffer), 0);
  EXPECT_STREQ(buffer, "");
  EXPECT_EQ(LoadString(nullptr, 1, buffer, 0), 0);
}

TEST(Icons, AreSharedPerResourceAndOutliveDestroyIcon) {
  HINSTANCE self = GetModuleHandle(nullptr);
  HICON app = LoadIcon(self, MAKEINTRESOURCE(guitest::kAppIcon));
  ASSERT_NE(app, nullptr);
  EXPECT_EQ(LoadIcon(self, "#1112"), app);
  EXPECT_EQ(LoadIcon(self, MAKEINTRESOURCE(9999)), nullptr);
  EXPECT_EQ(LoadIcon(self, IDI_HAND), nullptr);  // stock icons come with no instance
  HICON hand = LoadIcon(nullptr, IDI_ERROR);
  ASSERT_NE(hand, nullptr);
  EXPECT_EQ(LoadIcon(nullptr, IDI_HAND), hand);
  EXPECT_NE(LoadIcon(nullptr, IDI_INFORMATION), hand);
  EXPECT_NE(LoadCursor(nullptr, IDC_ARROW), nullptr);
  EXPECT_TRUE(DestroyIcon(app));
  EXPECT_EQ(LoadIcon(self, MAKEINTRESOURCE(guitest::kAppIcon)), app);
  HWND hwnd = wintest::MakeWindow(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  HDC dc = GetDC(hwnd);
  EXPECT_TRUE(DrawIcon(dc, 0, 0, app));  // still drawable after DestroyIcon
  ReleaseDC(hwnd, dc);
  EXPECT_FALSE(DestroyIcon((HICON)0x77));
}

TEST(VersionInformation, IsReadFromTheProgramFileItself) {
  std::vector<unsigned char> block = VersionBlock(WindowsPath(VERSIONED_PROGRAM));
  ASSERT_FALSE(block.empty());
  UINT length = 0;
  EXPECT_EQ(Value(block, "\\StringFileInfo\\040904E4\\FileDescription", &length),
            "Versioned Test Program");
  EXPECT_EQ(length, 23u);
  EXPECT_EQ(Value(block, "\\StringFileInfo\\040904e4\\fileversion", &length), "2.1");
  EXPECT_EQ(Value(block, "\\StringFileInfo\\040904E4\\LegalCopyright", &length),
            "Copyright Test Works. All rights reserved.");
  EXPECT_EQ(Value(block, "\\StringFileInfo\\040904E4\\Comments", &length), "");
  EXPECT_EQ(length, 0u);
  EXPECT_EQ(Value(block, "\\StringFileInfo\\040904E4\\ProductName", &length), "<none>");
  EXPECT_EQ(Value(block, "\\StringFileInfo\\04090000\\FileVersion", &length), "<none>");

  VS_FIXEDFILEINFO* fixed = nullptr;
  ASSERT_TRUE(VerQueryValue(block.data(), "\\", (LPVOID*)&fixed, &length));
  EXPECT_EQ(length, sizeof(VS_FIXEDFILEINFO));
  EXPECT_EQ(fixed->dwSignature, (DWORD)VS_FFI_SIGNATURE);
  EXPECT_EQ(fixed->dwFileVersionMS, 0x00020001u);
  EXPECT_EQ(fixed->dwFileVersionLS, 0u);
  EXPECT_EQ(fixed->dwProductVersionLS, 0x00030004u);
  EXPECT_EQ(fixed->dwFileFlags, (DWORD)VS_FF_PRERELEASE);
  EXPECT_EQ(fixed->dwFileType, (DWORD)VFT_APP);
}

TEST(VersionInformation, WindowsPathsMatchWithoutRegardToCaseAndWithEitherSlash) {
  std::string path = WindowsPath(VERSIONED_PROGRAM);
  EXPECT_GT(GetFileVersionInfoSize(Upper(path).c_str(), nullptr), 0u);
  std::string forward = "C:" + std::string(VERSIONED_PROGRAM);
  EXPECT_GT(GetFileVersionInfoSize(forward.c_str(), nullptr), 0u);
  TempDir dir;
  setenv("PLATFORM_DRIVES", ("d=" + (dir / "")).c_str(), 1);
  plat::fs::ResetDriveStateForTests();
  Write(dir / "Program", Bytes(VERSIONED_PROGRAM));
  EXPECT_GT(GetFileVersionInfoSize("D:\\PROGRAM", nullptr), 0u);
  EXPECT_EQ(GetFileVersionInfoSize("d:\\..\\..\\program", nullptr) > 0,
            true);  // ".." stops at the drive's directory
  EXPECT_EQ(GetFileVersionInfoSize("e:\\program", nullptr), 0u);
  unsetenv("PLATFORM_DRIVES");
  plat::fs::ResetDriveStateForTests();
}

TEST(VersionInformation, APlainFileOrAProgramWithoutItHasNone) {
  TempDir dir;
  std::ofstream(dir / "readme.txt") << "FileVersion 2.1 PVI1\n";
  SetLastError(0);
  EXPECT_EQ(GetFileVersionInfoSize(WindowsPath(dir / "readme.txt").c_str(), nullptr), 0u);
  EXPECT_NE(GetLastError(), 0u);
  EXPECT_EQ(GetFileVersionInfoSize(WindowsPath(UNVERSIONED_PROGRAM).c_str(), nullptr), 0u);
  EXPECT_EQ(GetFileVersionInfoSize(WindowsPath(dir / "missing.exe").c_str(), nullptr), 0u);
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(GetFileVersionInfoSize(WindowsPath(dir / "").c_str(), nullptr), 0u);  // a directory
}

TEST(VersionInformation, ADamagedProgramFileYieldsNone) {
  TempDir dir;
  std::vector<unsigned char> original = Bytes(VERSIONED_PROGRAM);
  const unsigned char magic[] = {'P', 'V', 'I', '1'};
  auto block = std::search(original.begin(), original.end(), magic, magic + 4);
  ASSERT_NE(block, original.end());
  size_t at = (size_t)(block - original.begin());

  std::vector<unsigned char> oversized = original;
  oversized[at + 7] = 0x7F;  // a size far past the section
  Write(dir / "oversized", oversized);
  std::vector<unsigned char> unterminated = original;
  uint32_t size;
  memcpy(&size, &original[at + 4], 4);
  memset(&unterminated[at + 60], 'x', size - 60);  // no text ends inside the block
  Write(dir / "unterminated", unterminated);
  std::vector<unsigned char> headless(original.begin(), original.begin() + (long)at + 100);
  Write(dir / "truncated", headless);  // the section headers are gone
  std::vector<unsigned char> wildHeaders = original;
  memset(&wildHeaders[0x28], 0xFF, 8);  // e_shoff of a 64-bit file points nowhere
  Write(dir / "wild", wildHeaders);

  for (const char* name : {"oversized", "unterminated", "truncated", "wild"})
    EXPECT_EQ(GetFileVersionInfoSize(WindowsPath(dir / name).c_str(), nullptr), 0u) << name;
  Write(dir / "intact", original);
  EXPECT_GT(GetFileVersionInfoSize(WindowsPath(dir / "intact").c_str(), nullptr), 0u);
}

TEST(VersionInformation, AShortBufferGetsTheHeadOfTheBlockAndStaysReadable) {
  std::string path = WindowsPath(VERSIONED_PROGRAM);
  DWORD size = GetFileVersionInfoSize(path.c_str(), nullptr);
  std::vector<unsigned char> small(100);
  ASSERT_LT(small.size(), size);
  ASSERT_TRUE(GetFileVersionInfo(path.c_str(), 0, (DWORD)small.size(), small.data()));
  UINT length = 0;
  EXPECT_EQ(Value(small, "\\StringFileInfo\\040904E4\\CompanyName", &length), "Test Works");
  EXPECT_EQ(Value(small, "\\StringFileInfo\\040904E4\\FileVersion", &length), "<none>");
  EXPECT_FALSE(GetFileVersionInfo(path.c_str(), 0, 10, small.data()));
}

TEST(OpenFileDialog, AnswersWhatWasScriptedAndRecordsWhatWasAsked) {
  char file[32] = "";
  char title[16] = "";
  OPENFILENAME ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.lpstrFilter = "Log Files(*.log)\0*.log\0\0";
  ofn.lpstrFile = file;
  ofn.nMaxFile = sizeof file;
  ofn.lpstrFileTitle = title;
  ofn.nMaxFileTitle = sizeof title;
  ofn.lpstrInitialDir = "c:\\tcpapps";
  ofn.lpstrTitle = "Log File Selection";
  ofn.Flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST;

  EXPECT_FALSE(GetOpenFileName(&ofn));  // nothing scripted: the person cancels
  guitest::Display().AnswerOpenFile("C:\\Logs\\Server.LOG");
  guitest::Display().AnswerOpenFile(std::nullopt);
  guitest::Display().AnswerOpenFile("c:\\a\\path\\longer\\than\\thirty-two.log");
  ASSERT_TRUE(GetOpenFileName(&ofn));
  EXPECT_STREQ(file, "C:\\Logs\\Server.LOG");
  EXPECT_STREQ(title, "Server.LOG");
  EXPECT_EQ(ofn.nFileOffset, 8);
  EXPECT_EQ(ofn.nFileExtension, 15);
  EXPECT_FALSE(GetOpenFileName(&ofn));
  EXPECT_FALSE(GetOpenFileName(&ofn));  // does not fit
  EXPECT_STREQ(file, "C:\\Logs\\Server.LOG");

  const auto& asked = guitest::Display().OpenFileDialogs();
  ASSERT_EQ(asked.size(), 4u);
  EXPECT_EQ(asked[0].title, "Log File Selection");
  EXPECT_EQ(asked[0].initialDir, "c:\\tcpapps");
  EXPECT_EQ(asked[0].flags, (DWORD)(OFN_HIDEREADONLY | OFN_PATHMUSTEXIST));
  ASSERT_EQ(asked[0].filters.size(), 1u);
  EXPECT_EQ(asked[0].filters[0],
            (std::pair<std::string, std::string>{"Log Files(*.log)", "*.log"}));
}

TEST(Beeps, AreRecorded) {
  EXPECT_TRUE(MessageBeep(0xFFFFFFFF));
  EXPECT_TRUE(MessageBeep(MB_ICONEXCLAMATION));
  EXPECT_EQ(guitest::Display().Beeps(), (std::vector<UINT>{0xFFFFFFFF, MB_ICONEXCLAMATION}));
}
