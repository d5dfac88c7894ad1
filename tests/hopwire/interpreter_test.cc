// The command interpreter without a connection: line limits, word splitting and
// quoting, look-up by abbreviation, the missing-word prompts, help, and the local
// commands on drives of the test's own.
#include <stdlib.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "tests/hopwire/slave_session.h"

namespace {

using hopwiretest::Events;
using hopwiretest::SlaveSession;

class Interpreter : public SlaveSession {
 protected:
  void SetUp() override {
    SlaveSession::SetUp();
    MapDriveC();
    ASSERT_EQ(mkdir((drive_ + "/sub").c_str(), 0755), 0);
    StartSlave();
  }

  // The reports of one command line after its echo.
  Events After(const std::string& line) {
    Events events = Commands({line});
    if (!events.empty()) events.erase(events.begin());
    return events;
  }
};

std::string Words(int count) {
  std::string line = "help";
  for (int i = 1; i < count; ++i)
    line += " w";
  return line;
}

TEST_F(Interpreter, LinesAreSplitLookedUpAndRefusedAsTheTableSays) {
  const std::string padded198 = "status" + std::string(192, ' ');
  Events nineteenWords(18, "?Invalid help command w\n");
  nineteenWords.push_back("214 Help complete.\n");
  struct Case {
    std::string line;
    Events reports;
  } cases[] = {
      {"", {}},
      {"\n", {}},
      {"!ls", {"?Invalid command\n"}},
      {"$ ls", {"?Invalid command\n"}},
      {"nosuch", {"?Invalid command\n"}},
      {"Help", {"?Invalid command\n"}},
      // Abbreviations: a whole name is taken at once (send, not sendport); a
      // beginning only when one name has it.
      {"se", {"?Ambiguous command\n"}},
      {"di", {"?Ambiguous command\n"}},
      {"send", {"530 Not connected.\n"}},
      {"lc", {"usage: lc local-directory\n"}},
      {"by", {}},
      {"help by u",
       {"bye       \tterminate ftp session and exit\n", "user      \tsend new user information\n",
        "214 Help complete.\n"}},
      {"help d", {"?Ambiguous help command d\n", "214 Help complete.\n"}},
      // Quoted and unquoted pieces make one word; an empty quoted part is none.
      {"help \"c\"d \"se nd\" \"\" ?",
       {"cd        \tchange remote working directory\n", "?Invalid help command se nd\n",
        "?         \tprint local help information\n", "214 Help complete.\n"}},
      {padded198, {"530 Not connected.\n"}},
      {padded198 + " ", {"sorry, input line too long\n"}},
      {padded198 + "\n", {"530 Not connected.\n"}},
      {Words(19), nineteenWords},
      {Words(20), {"sorry, arguments too long\n"}},
      // No more input exists for a missing word: the prompt, then the usage line,
      // or nothing but "sorry" when the line leaves no room for another word.
      {"lmkdir", {"(directory-name) ", "usage: lmkdir local-directory-name\n"}},
      {"lmkdir" + std::string(190, ' '),
       {"(directory-name) ", "usage: lmkdir local-directory-name\n"}},
      {"lmkdir" + std::string(191, ' '), {"sorry, arguments too long\n"}},
      {"status", {"530 Not connected.\n"}},
      {"type", {"530 Not connected.\n"}},
      {"close", {"530 Not connected.\n"}},
      {"sendport", {"Use of PORT cmds off.\n"}},
      {"sendport", {"Use of PORT cmds on.\n"}},
      {"lookup localhost", {"200 Hostname localhost 127.0.0.1\n"}},
      {"lookup nothere.invalid", {"500 Hostname nothere.invalid unresolved\n"}},
      {"lookup a b", {"usage: lookup hostname\n"}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(After(c.line), c.reports) << "[" << c.line << "]";
}

TEST_F(Interpreter, HelpListsTheNamesDownNineRowsOfFiveColumns) {
  EXPECT_EQ(After("help"),
            (Events{"Commands may be abbreviated.  Commands are:\n", "\n",
                    "append          dirx            lmkdir          put             status      "
                    "    \n",
                    "ascii           disconnect      lookup          putx            struct      "
                    "    \n",
                    "binary          form            lpwd            pwd             system      "
                    "    \n",
                    "bye             get             ls              quit            tenex       "
                    "    \n",
                    "cd              getx            mkdir           quote           type        "
                    "    \n",
                    "cdup            gettmp          mode            recv            user        "
                    "    \n",
                    "close           help            nlist           rename          ?           "
                    "    \n",
                    "delete          image           open            rmdir           \n",
                    "dir             lcd             sendport        send            \n"}));
}

TEST_F(Interpreter, LocalCommandsWorkOnTheDrivesOfTheLayer) {
  struct stat status;
  struct Case {
    std::string line;
    Events reports;
  } cases[] = {
      {"lcd ftp:c|/sub", {"257 \"C:\\sub\" is the current local directory.\n"}},
      {"lpwd", {"257 \"C:\\sub\" is the current local directory.\n"}},
      {"lcd", {"usage: lcd local-directory\n"}},
      {"lcd x:\\", {"500 Can't change to drive x\n"}},
      {"lcd 1:\\", {}},
      {"lcd c:\\nothere", {"500 Can't change to directory \"\\nothere\"."}},
      {"lmkdir new", {"257 \"new\" created as a local directory.\n"}},
      {"lpwd", {"257 \"C:\\sub\" is the current local directory.\n"}},
      // An existing directory is entered, and the local directory stays there.
      {"lmkdir new", {"500 Can't local directory \"new\" exists.\n"}},
      {"lpwd", {"257 \"C:\\sub\\new\" is the current local directory.\n"}},
      {"lmkdir x:new", {"500 Can't change to drive x:\n"}},
      {"lcd c:\\", {"257 \"C:\\\" is the current local directory.\n"}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(After(c.line), c.reports) << c.line;
  EXPECT_EQ(stat((drive_ + "/sub/new").c_str(), &status), 0);
  EXPECT_TRUE(S_ISDIR(status.st_mode));
}

}  // namespace
