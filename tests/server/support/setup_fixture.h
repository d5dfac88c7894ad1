// The setup dialogs on the headless display: a person's steps in the dialog
// the menu opened; the message boxes it showed; the settings file's bytes; and
// clients of the running services, whose calls this process serves while it
// waits for their answers.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "gui/person.h"
#include "support/call_builder.h"
#include "support/server_fixture.h"
#include "tests/support/udp_client.h"

class SetupTest : public ServerTest {
 protected:
  using Step = std::function<void(HWND dialog)>;

  void StartWith(const std::string& keys, const std::string& sections = "") {
    WriteSettings(keys, sections);
    ASSERT_TRUE(Start());
    Serve();
  }

  // The steps run one after the other in the dialog's first idle moment; the
  // dialog must end with the last one, and no earlier. A dialog left open is
  // cancelled, so that a failing test ends.
  void InDialog(UINT command, const std::vector<Step>& steps) {
    bool ran = false;
    plat::gui::Headless().WhenDialogIdle([&steps, &ran](HWND dialog) {
      ran = true;
      for (size_t i = 0; i < steps.size(); ++i) {
        if (!IsWindowVisible(dialog)) {
          ADD_FAILURE() << "the dialog ended before step " << i + 1;
          return;
        }
        steps[i](dialog);
      }
      if (IsWindowVisible(dialog)) {
        ADD_FAILURE() << "the dialog is still open after the last step";
        EndDialog(dialog, IDCANCEL);
      }
    });
    ASSERT_TRUE(plat::gui::PickMenuItem(Server->mainWindow, command));
    Serve();
    EXPECT_TRUE(ran) << "no dialog opened";
    if (!ran) ForgetDisplayRecords();
  }
  void ForgetDisplayRecords() {
    plat::gui::Headless().Forget();
    seenBoxes_ = 0;
  }

  // The texts of the message boxes since the last call, each checked for the
  // server's caption and the error icon.
  std::vector<std::string> NewBoxes() {
    std::vector<std::string> texts;
    for (; seenBoxes_ < Boxes().size(); ++seenBoxes_) {
      EXPECT_EQ(Boxes()[seenBoxes_].caption, "Brevant NFS Server");
      EXPECT_EQ(Boxes()[seenBoxes_].type, (UINT)(MB_OK | MB_ICONERROR));
      texts.push_back(Boxes()[seenBoxes_].text);
    }
    return texts;
  }

  std::string Ini() const { return ReadHost("TOLMID.INI"); }

  // PCNFSD version 1 AUTH: 0 accepted, 2 refused, -1 no answer.
  static int Authenticate(const std::string& name, const std::string& password) {
    auto scrambled = [](std::string text) {
      for (char& c : text)
        c = (char)(c ^ 0x5B);
      return text;
    };
    testsupport::UdpClient client;
    return Result(client.Call(1525, CallBuilder::Call(9, 150001, 1, 1)
                                        .Null()
                                        .String(scrambled(name))
                                        .String(scrambled(password))
                                        .bytes()));
  }

  // MNT as uid 500, gid 100: 0 or the UNIX error, -1 no answer.
  static int Mount(const std::string& path) {
    testsupport::UdpClient client;
    return Result(
        client.Call(1058, CallBuilder::Call(5, 100005, 1, 1).Unix(500, 100).String(path).bytes()));
  }

 private:
  static int Result(const std::vector<uint8_t>& reply) {
    std::vector<uint32_t> words = ReplyWords(reply);
    return words.size() > 6 && words[5] == 0 ? (int)words[6] : -1;
  }

  size_t seenBoxes_ = 0;
};

// The whole line ("key=value\r\n") of a key that stands once in the text: the
// handle table's stamp, say, which a new table takes from the clock.
inline std::string LineOf(const std::string& text, const std::string& key) {
  size_t at = text.find("\n" + key + "=");
  EXPECT_NE(at, std::string::npos) << key;
  if (at == std::string::npos) return "<no " + key + ">";
  size_t end = text.find('\n', at + 1);
  return text.substr(at + 1, end == std::string::npos ? std::string::npos : end - at);
}

// The text with its one occurrence of `from` replaced; a test that expects a
// line to change fails when the line isn't there once.
inline std::string Replaced(const std::string& text, const std::string& from,
                            const std::string& to) {
  size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  EXPECT_EQ(text.find(from, at + 1), std::string::npos) << from;
  if (at == std::string::npos) return text;
  return text.substr(0, at) + to + text.substr(at + from.size());
}
