// PCNFSD through a client generated with rpcgen from the protocol's published
// description, over libtirpc and UDP, against the real program in a network
// namespace of its own: the client finds the service through our port mapper.
#include <string.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "pcnfsd.h"
#include "support/real_server.h"

namespace {

const char kUsers[] =
    "[TOLmid_user_01]\r\nusername=Guest\r\npassword=Secret\r\nuid=500\r\ngid=100\r\n"
    "[TOLmid_user_02]\r\nusername=open\r\npassword=\r\nuid=501\r\ngid=101\r\n"
    "[TOLmid_user_03]\r\nusername=<<UNUSED>>\r\npassword=old\r\nuid=502\r\ngid=102\r\n";

// What a client sends: every byte XOR 0x5B.
std::string Scrambled(const std::string& text) {
  std::string out = text;
  for (char& c : out)
    c = (char)(c ^ 0x5B);
  return out;
}

struct Identity {
  arstat stat;
  unsigned uid;
  unsigned gid;
};

struct AuthCase {
  const char* name;
  const char* password;
  Identity expected;
};

// Nine failures at most, so one server's lock-out never starts in these.
const AuthCase kAuthCases[] = {
    {"Guest", "Secret", {AUTH_RES_OK, 500, 100}},
    {"GUEST", "Secret", {AUTH_RES_OK, 500, 100}},
    {"guest", "secret", {AUTH_RES_FAIL, 0, 0}},
    {"guest", "Secret ", {AUTH_RES_FAIL, 0, 0}},
    {"open", "", {AUTH_RES_OK, 501, 101}},
    {"open", "x", {AUTH_RES_FAIL, 0, 0}},
    {"<<UNUSED>>", "old", {AUTH_RES_FAIL, 0, 0}},
    {"nobody", "", {AUTH_RES_FAIL, 0, 0}},
    {"guestguestguestguestguestguest12", "Secret", {AUTH_RES_FAIL, 0, 0}},
};

class Pcnfsd : public RealServerTest {
 protected:
  void SetUp() override {
    RealServerTest::SetUp();
    Launch("portmapenabled=ON\r\npcnfsenabled=ON", kUsers);
    v1_ = clnt_create("127.0.0.1", PCNFSDPROG, PCNFSDVERS, "udp");
    v2_ = clnt_create("127.0.0.1", PCNFSDPROG, PCNFSDV2, "udp");
    ASSERT_NE(v1_, nullptr) << clnt_spcreateerror("v1");
    ASSERT_NE(v2_, nullptr) << clnt_spcreateerror("v2");
    SetTimeout(v1_, 3000);
    SetTimeout(v2_, 3000);
    // A PC client that has authenticated calls with the identity it got.
    v1_->cl_auth = authunix_create((char*)"pc", 500, 100, 0, nullptr);
    v2_->cl_auth = authunix_create((char*)"pc", 500, 100, 0, nullptr);
  }
  void TearDown() override {
    for (CLIENT* client : {v1_, v2_}) {
      if (!client) continue;
      auth_destroy(client->cl_auth);
      clnt_destroy(client);
    }
    RealServerTest::TearDown();
  }
  static void SetTimeout(CLIENT* client, int ms) {
    timeval total{ms / 1000, (ms % 1000) * 1000};
    clnt_control(client, CLSET_TIMEOUT, (char*)&total);
  }

  Identity AuthV1(const std::string& name, const std::string& password) {
    std::string id = Scrambled(name), pw = Scrambled(password);
    auth_args args{id.data(), pw.data()};
    auth_results* r = pcnfsd_auth_1(&args, v1_);
    EXPECT_NE(r, nullptr) << clnt_sperror(v1_, "AUTH");
    return r ? Identity{r->stat, r->uid, r->gid} : Identity{AUTH_RES_FAKE, 0, 0};
  }
  Identity AuthV2(const std::string& name, const std::string& password) {
    std::string id = Scrambled(name), pw = Scrambled(password);
    v2_auth_args args{(char*)"pc", id.data(), pw.data(), (char*)""};
    v2_auth_results* r = pcnfsd2_auth_2(&args, v2_);
    EXPECT_NE(r, nullptr) << clnt_sperror(v2_, "AUTH");
    return r ? Identity{r->stat, r->uid, r->gid} : Identity{AUTH_RES_FAKE, 0, 0};
  }

  CLIENT* v1_ = nullptr;
  CLIENT* v2_ = nullptr;
};

void ExpectIdentity(const Identity& got, const AuthCase& c) {
  SCOPED_TRACE(std::string(c.name) + "/" + c.password);
  EXPECT_EQ(got.stat, c.expected.stat);
  EXPECT_EQ(got.uid, c.expected.uid);
  EXPECT_EQ(got.gid, c.expected.gid);
}

TEST_F(Pcnfsd, Version1AuthMatchesNamesInAnyCaseAndPasswordsByteForByte) {
  for (const AuthCase& c : kAuthCases)
    ExpectIdentity(AuthV1(c.name, c.password), c);
  EXPECT_EQ(LogBytes().find("failed to log in"), std::string::npos);
}

TEST_F(Pcnfsd, Version2AuthMatchesNamesInAnyCaseAndPasswordsByteForByte) {
  for (const AuthCase& c : kAuthCases)
    ExpectIdentity(AuthV2(c.name, c.password), c);
}

TEST_F(Pcnfsd, Version2RepliesDecodeToTheirPublishedLayouts) {
  std::string id = Scrambled("guest"), pw = Scrambled("Secret");
  v2_auth_args authArgs{(char*)"pc", id.data(), pw.data(), (char*)"hello"};
  v2_auth_results* auth = pcnfsd2_auth_2(&authArgs, v2_);
  ASSERT_NE(auth, nullptr) << clnt_sperror(v2_, "AUTH");
  EXPECT_EQ(auth->stat, AUTH_RES_OK);
  EXPECT_EQ(auth->uid, 500u);
  EXPECT_EQ(auth->gid, 100u);
  EXPECT_EQ(auth->cuid, 0u);
  EXPECT_EQ(auth->cgid, 0u);
  EXPECT_EQ(auth->gids.gids_len, 0u);
  EXPECT_STREQ(auth->home, "");
  EXPECT_EQ(auth->def_umask, 022);
  EXPECT_STREQ(auth->cm, "No comment");

  v2_info_args infoArgs{(char*)"anything", (char*)"at all"};
  v2_info_results* info = pcnfsd2_info_2(&infoArgs, v2_);
  ASSERT_NE(info, nullptr) << clnt_sperror(v2_, "INFO");
  char host[256] = "";
  gethostname(host, sizeof host);
  EXPECT_EQ(std::string(info->vers), std::string("Brevant NFS Server 1.2 ") + host);
  EXPECT_STREQ(info->cm, "No comment");
  std::vector<int> facilities(info->facilities.facilities_val,
                              info->facilities.facilities_val + info->facilities.facilities_len);
  EXPECT_EQ(facilities,
            (std::vector<int>{100, 100, 100, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, 100, -1}));

  v2_pr_init_args initArgs{(char*)"pc", (char*)"lp", (char*)""};
  v2_pr_init_results* init = pcnfsd2_pr_init_2(&initArgs, v2_);
  ASSERT_NE(init, nullptr) << clnt_sperror(v2_, "PR_INIT");
  EXPECT_EQ(init->stat, PI_RES_NO_SUCH_PRINTER);
  EXPECT_STREQ(init->dir, "");

  v2_pr_start_args startArgs{(char*)"pc",   (char*)"lp", (char*)"guest", (char*)"job1",
                             (char*)"-raw", 2,           (char*)""};
  v2_pr_start_results* start = pcnfsd2_pr_start_2(&startArgs, v2_);
  ASSERT_NE(start, nullptr) << clnt_sperror(v2_, "PR_START");
  EXPECT_EQ((int)start->stat, 1);  // no such printer
  EXPECT_STREQ(start->id, "");

  v2_pr_list_args listArgs{(char*)""};
  v2_pr_list_results* list = pcnfsd2_pr_list_2(&listArgs, v2_);
  ASSERT_NE(list, nullptr) << clnt_sperror(v2_, "PR_LIST");
  EXPECT_EQ(list->printers, nullptr);

  // Version 1 printing succeeds and prints nothing.
  pr_init_args init1Args{(char*)"pc", (char*)"lp"};
  pr_init_results* init1 = pcnfsd_pr_init_1(&init1Args, v1_);
  ASSERT_NE(init1, nullptr) << clnt_sperror(v1_, "PR_INIT");
  EXPECT_EQ(init1->stat, PI_RES_OK);
  EXPECT_STREQ(init1->dir, "");
  pr_start_args start1Args{(char*)"pc", (char*)"lp", (char*)"guest", (char*)"job1", (char*)""};
  pr_start_results* start1 = pcnfsd_pr_start_1(&start1Args, v1_);
  ASSERT_NE(start1, nullptr) << clnt_sperror(v1_, "PR_START");
  EXPECT_EQ(start1->stat, PS_RES_OK);
}

TEST_F(Pcnfsd, Version2QueueIsNeverAnswered) {
  SetTimeout(v2_, 400);
  v2_pr_queue_args args{(char*)"lp", (char*)"pc", (char*)"guest", TRUE, (char*)""};
  EXPECT_EQ(pcnfsd2_pr_queue_2(&args, v2_), nullptr);
  rpc_err error;
  clnt_geterr(v2_, &error);
  EXPECT_EQ(error.re_status, RPC_TIMEDOUT);
  // The server goes on answering.
  SetTimeout(v2_, 3000);
  EXPECT_EQ(AuthV2("guest", "Secret").stat, AUTH_RES_OK);
}

TEST_F(Pcnfsd, TenFailuresInAMinuteLockTheAddressOutEvenForTheRightPassword) {
  for (int i = 0; i < 10; i++)
    EXPECT_EQ(AuthV1("guest", "guess" + std::to_string(i)).stat, AUTH_RES_FAIL);
  EXPECT_EQ(AuthV1("guest", "Secret").stat, AUTH_RES_FAIL);
  EXPECT_EQ(AuthV2("guest", "Secret").stat, AUTH_RES_FAIL);
  std::string log = LogBytes();
  const char line[] = "127.0.0.1 failed to log in 10 times within a minute";
  size_t at = log.find(line);
  ASSERT_NE(at, std::string::npos) << log;
  EXPECT_EQ(log.find(line, at + 1), std::string::npos);
  EXPECT_NE(log.rfind("PCNFS Daemon: ", at), std::string::npos);
}

}  // namespace
