// The conversation with the real console program (tools/wexoraconsole).
#include <stdio.h>

#include <gtest/gtest.h>

#include "ipc/global_memory.h"
#include "platform/dde.h"
#include "platform/windows.h"
#include "tests/support/desktop_peers.h"
#include "ui/console_connection.h"

using testsupport::ChildProgram;
using testsupport::ServeUntil;

namespace {

constexpr UINT kRefuseLines = 101;
constexpr UINT kEndConversations = 102;

std::string Hex(uint64_t value) {
  char text[24];
  snprintf(text, sizeof text, "%llx", (unsigned long long)value);
  return text;
}

class Console : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(desktop_.joined()); }

  // The line as the console prints it, without its time.
  static std::string Shown(const std::string& line) {
    return line.size() > 9 ? line.substr(9) : line;
  }

  testsupport::PrivateDesktop desktop_;
};

TEST_F(Console, LinesReachTheConsoleWithTheirHeader) {
  ChildProgram console(WEXORACONSOLE, "");
  ASSERT_EQ(console.Line(), "wexoraconsole ready");
  ConsoleConnection* connection = OpenConsoleConnection(nullptr);
  ASSERT_NE(connection, nullptr);
  EXPECT_EQ(PostConsoleLine(connection, 0, "[tolmid]", "Port Mapper started."), 1);
  EXPECT_EQ(PostConsoleLine(connection, 0, nullptr, nullptr), 1);
  EXPECT_EQ(Shown(console.Line()), "[tolmid] Port Mapper started.");
  EXPECT_EQ(Shown(console.Line()), " ");
  EXPECT_EQ(connection->consoleWindow, FindWindow("zVkClassconsole", nullptr));
  // The console freed the accepted blocks; the layer freed the lent ones here.
  EXPECT_TRUE(ServeUntil([] { return plat::ipc::LiveBlockCount() == 0; }));
  CloseConsoleConnection(connection);
}

TEST_F(Console, WithoutAConsoleLinesAreDroppedAndEachLaterLineLooksAgain) {
  ConsoleConnection* connection = OpenConsoleConnection(nullptr);
  EXPECT_EQ(PostConsoleLine(connection, 0, "[tolmid]", "lost"), 0);
  EXPECT_EQ(plat::ipc::LiveBlockCount(), 0u);
  ChildProgram console(WEXORACONSOLE, "");
  ASSERT_EQ(console.Line(), "wexoraconsole ready");
  EXPECT_EQ(PostConsoleLine(connection, 0, "[tolmid]", "found"), 1);
  EXPECT_EQ(Shown(console.Line()), "[tolmid] found");
  CloseConsoleConnection(connection);
}

TEST_F(Console, ARefusedLineIsFreedHereAndTheNextLineStartsANewConversation) {
  ChildProgram console(WEXORACONSOLE, "-refuse");
  ASSERT_EQ(console.Line(), "wexoraconsole ready");
  ConsoleConnection* connection = OpenConsoleConnection(nullptr);
  ASSERT_EQ(PostConsoleLine(connection, 0, "[tolmid]", "refused"), 1);
  ASSERT_TRUE(ServeUntil([&] { return connection->consoleWindow == nullptr; }));
  EXPECT_EQ(plat::ipc::LiveBlockCount(), 0u);

  PostMessage(FindWindow("zVkClassconsole", nullptr), WM_COMMAND, kRefuseLines, 0);
  ServeUntil([] { return false; }, 100);
  EXPECT_EQ(PostConsoleLine(connection, 0, "[tolmid]", "accepted"), 1);
  EXPECT_EQ(Shown(console.Line()), "[tolmid] accepted");
  CloseConsoleConnection(connection);
}

TEST_F(Console, EveryRefusedLineIsFreedEvenWhenItsRefusalComesAfterTheFirst) {
  ChildProgram console(WEXORACONSOLE, "-refuse");
  ASSERT_EQ(console.Line(), "wexoraconsole ready");
  ConsoleConnection* connection = OpenConsoleConnection(nullptr);
  // Both lines are posted before either refusal arrives.
  ASSERT_EQ(PostConsoleLine(connection, 0, "[tolmid]", "first"), 1);
  ASSERT_EQ(PostConsoleLine(connection, 0, "[tolmid]", "second"), 1);
  EXPECT_TRUE(ServeUntil([] { return plat::ipc::LiveBlockCount() == 0; }));
  EXPECT_EQ(connection->consoleWindow, nullptr);  // a late refusal does not restart it
  CloseConsoleConnection(connection);
}

TEST_F(Console, TheConsoleEndingTheConversationEndsTheMessageLoop) {
  ChildProgram console(WEXORACONSOLE, "");
  ASSERT_EQ(console.Line(), "wexoraconsole ready");
  ConsoleConnection* connection = OpenConsoleConnection(nullptr);
  ASSERT_EQ(PostConsoleLine(connection, 0, "[tolmid]", "hello"), 1);
  ASSERT_EQ(Shown(console.Line()), "[tolmid] hello");
  PostMessage(connection->consoleWindow, WM_COMMAND, kEndConversations, 0);
  MSG msg;
  DWORD start = GetTickCount();
  bool quit = false;
  while (!quit && GetTickCount() - start < 3000) {
    if (!PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
      Sleep(1);
      continue;
    }
    quit = msg.message == WM_QUIT;
    DispatchMessage(&msg);
  }
  EXPECT_TRUE(quit);
  CloseConsoleConnection(connection);
}

TEST_F(Console, TheLineBlockHasTheDocumentedLayout) {
  ChildProgram console(IPC_PEER, "dde-server zVkClassconsole");
  ASSERT_EQ(console.Line(), "ready");
  ConsoleConnection* connection = OpenConsoleConnection(nullptr);
  ASSERT_EQ(PostConsoleLine(connection, 0x12D02BA5, "[hdr]", "text"), 1);
  // flags 0x2000, CF_TEXT, the time little-endian, "[hdr]", "text", two spare bytes.
  EXPECT_EQ(console.Line(), "poke 00200100a52bd0125b6864725d0074657874000000 accepted");
  CloseConsoleConnection(connection);
}

TEST_F(Console, AForeignAcknowledgeFreesNothingOfTheServer) {
  ChildProgram console(IPC_PEER, "dde-server zVkClassconsole");
  ASSERT_EQ(console.Line(), "ready");
  ConsoleConnection* connection = OpenConsoleConnection(nullptr);
  ASSERT_EQ(PostConsoleLine(connection, 0, "[tolmid]", "hello"), 1);
  ASSERT_NE(console.Line(), "<timeout>");
  // A block of the server that no console was lent, like the server's own record.
  HGLOBAL record = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 256);
  for (const char* verb : {"post", "send"}) {
    SCOPED_TRACE(verb);
    // A "refusal" from a process that was never in the conversation, naming that block.
    ChildProgram stranger(HOSTILE_PEER, std::string(verb) + " " +
                                            Hex((uintptr_t)connection->clientWindow) + " 3e4 " +
                                            Hex((uint64_t)(uintptr_t)record << 16) + " 0");
    EXPECT_NE(stranger.Line(), "<timeout>");
    ServeUntil([] { return false; }, 200);
    EXPECT_TRUE(plat::ipc::IsLiveBlock(record));
  }
  GlobalFree(record);
  CloseConsoleConnection(connection);
}

TEST_F(Console, AConsoleThatNeverAnswersCostsItsLinesNotTheServer) {
  ChildProgram silent(HOSTILE_PEER, "silent zVkClassconsole");
  ASSERT_EQ(silent.Line(), "ready");
  ConsoleConnection* connection = OpenConsoleConnection(nullptr);
  EXPECT_EQ(PostConsoleLine(connection, 0, "[tolmid]", "first"), 0);
  EXPECT_EQ(PostConsoleLine(connection, 0, "[tolmid]", "second"), 0);
  EXPECT_EQ(connection->consoleWindow, nullptr);
  EXPECT_EQ(plat::ipc::LiveBlockCount(), 0u);
  CloseConsoleConnection(connection);
}

TEST_F(Console, OnlyTheConsoleThatWasAskedCanBecomeTheConsole) {
  // The answer to the initiate names a window of this process instead of the
  // console's: lines would go to a window that never frees them.
  HWND own = CreateWindow("STATIC", "", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
  ChildProgram impostor(HOSTILE_PEER, "console-then-deaf zVkClassconsole " + Hex((uintptr_t)own));
  ASSERT_EQ(impostor.Line(), "ready");
  ConsoleConnection* connection = OpenConsoleConnection(nullptr);
  EXPECT_EQ(PostConsoleLine(connection, 0, "[tolmid]", "to whom?"), 0);
  EXPECT_EQ(connection->consoleWindow, nullptr);
  ServeUntil([] { return false; }, 100);
  EXPECT_EQ(plat::ipc::LiveBlockCount(), 0u);
  CloseConsoleConnection(connection);
  DestroyWindow(own);
}

}  // namespace
