// Listings of each server kind, line by line, through the operations of their
// server type, against the rows the controller is to receive. The clock is
// fixed at 15 June 1997 for the VMS date rule.
#include <gtest/gtest.h>

#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "listing/listing_filters.h"
#include "listing/server_type_ops.h"

namespace {

// Marks a line the filter must leave as the server sent it.
const char* const kUnchanged = nullptr;

struct Row {
  const char* line;
  const char* reported;  // kUnchanged: the line itself
};

struct Listing {
  const char* kind;
  ServerType type;
  std::vector<Row> rows;
};

struct tm FixedClock() {
  struct tm now = {};
  now.tm_year = 1997 - 1900;
  now.tm_mon = 5;  // June
  now.tm_mday = 15;
  return now;
}

// What the listing reader does with each data line of one listing.
std::vector<std::string> RunListing(ServerType type, const std::vector<Row>& rows) {
  const ServerTypeOps* ops = GetServerTypeOps(type);
  ListingState state;
  memset(&state, 0x5a, sizeof state);  // the filters must not rely on zeroed storage
  struct tm now = FixedClock();
  if (ops->listingStart) ops->listingStart(&state, &now);
  std::vector<std::string> reported;
  for (const Row& row : rows) {
    const char* converted = ops->listingFilter ? ops->listingFilter(&state, row.line) : nullptr;
    reported.push_back(converted ? converted : row.line);
  }
  return reported;
}

const std::vector<Listing>& SampleListings() {
  static const std::vector<Listing> listings = {
      {"Unix",
       ServerType::Unix,
       {
           {"total 583\r\n", kUnchanged},
           {"drwxr-xr-x  11 4461     4460         1024 Oct 11 02:04 .\r\n", kUnchanged},
           {"-rw-r--r--   1 root     root       580368 Oct 11 02:04 ls-lR.gz\r\n", kUnchanged},
           {"lrwxrwxrwx   1 root     root            7 May  8  1997 bin -> usr/bin\r\n",
            kUnchanged},
       }},
      {"Windows NT",
       ServerType::WindowsNT,
       {
           {"02-14-97  03:04PM       <DIR>          incoming\r\n", kUnchanged},
           {"11-02-96  11:20AM                 1042 readme.txt\r\n", kUnchanged},
       }},
      {"VMS",
       ServerType::Vms,
       {
           {"\r\n", kUnchanged},
           {"Directory DISK$FTP:[ANONYMOUS]\r\n", kUnchanged},
           {"\r\n", kUnchanged},
           // Three months old: the time is shown.
           {"00README.TXT;3          4/6        14-MAR-1997 10:23:45  [SYSTEM]   "
            "(RWED,RWED,RE,RE)\r\n",
            "-rwxr-xr-x   1 owner group        2048 Mar 14 10:23 00README.TXT;3\r\n"},
           {"PUB.DIR;1               12/15      2-FEB-1995 08:00:00  [SYSTEM]   "
            "(RWED,RWED,RE,)\r\n",
            "drwxr-x---   1 owner group        6144 Feb  2  1995 PUB.DIR;1\r\n"},
           // A name too long for its column, its details on the next line;
           // nine months old still shows the time.
           {"A_RATHER_LONG_FILE_NAME_FOR_ITS_COLUMN.TXT;12\r\n", kUnchanged},
           {"                        12/15      26-SEP-1996 17:05:01.42  [USER,SMITH]  "
            "(RWED,RWED,R,)\r\n",
            "-rwxr-----   1 owner group        6144 Sep 26 17:05 "
            "A_RATHER_LONG_FILE_NAME_FOR_ITS_COLUMN.TXT;12\r\n"},
           // Ten months old shows the year.
           {"OLD.LOG;1               1/3        15-AUG-1996 11:00:00.00  [SYSTEM]   "
            "(RWED,RWED,,)\r\n",
            "-rwx------   1 owner group         512 Aug 15  1996 OLD.LOG;1\r\n"},
           // Without a time field the year is shown whatever the age.
           {"NOTIME.DAT;2  3  1-JUN-1997  (RE,RE,RE,RE)\r\n",
            "-r-xr-xr-x   1 owner group        1536 Jun  1  1997 NOTIME.DAT;2\r\n"},
           // The order of the fields does not matter, only their forms.
           {"ODD.TXT;1 (RWED,RW,RW,) [SYSTEM] 09:15 2 20-MAY-1997\r\n",
            "-rw-rw----   1 owner group        1024 May 20 09:15 ODD.TXT;1\r\n"},
           {"BROKEN.TXT;1            2/2        1-JAN-1997 12:00:00  [SYSTEM]   (RWED,RWED,RE\r\n",
            kUnchanged},
           {"LOWER.TXT;1             2/2        1-jan-1997 12:00:00  [SYSTEM]   "
            "(RWED,RWED,RE,RE)\r\n",
            kUnchanged},
           {"NOPROT.TXT;1            2/2        1-JAN-1997 12:00:00  [SYSTEM]\r\n", kUnchanged},
           {"\r\n", kUnchanged},
           {"Total of 6 files, 26/39 blocks.\r\n", kUnchanged},
       }},
      {"MacOS",
       ServerType::MacOs,
       {
           {"-------r--         326  1391972  1392298 Nov 22  1995 MegaPhone.sit\r\n",
            "-------r--   1 owner  group     1392298 Nov 22 1995 MegaPhone.sit"},
           {"drwxrwxr-x               folder        2 May 10  1996 network\r\n",
            "drwxrwxr-x   1 owner  group           2 May 10 1996 network"},
           // Names with blanks: cutting them would name another file.
           {"drwxrwxr-x               folder        2 May 10  1996 Read Me\r\n", kUnchanged},
           {"-------r--         326  1391972  1392298 Nov 22  1995 Mega Phone.sit\r\n", kUnchanged},
           {"total 3\r\n", kUnchanged},
           {"lrwxrwxrwx 1 2 3 Jan 1 1996 alias\r\n", kUnchanged},
       }},
      {"Chameleon",
       ServerType::Chameleon,
       {
           {"DOS             <DIR>   Jan 16 1995 14:02  d\r\n",
            "d------   1 owner group         512 Jan 16 14:02 DOS\r\n"},
           {"WINDOWS         <DIR>   Feb  3 1995  9:15  drwx\r\n",
            "drwx------   1 owner group         512 Feb  3 9:15 WINDOWS\r\n"},
           {"AUTOEXEC.BAT     1003   Mar  5 1995 10:13  -rw-\r\n",
            "-rw-------   1 owner group        1003 Mar  5 10:13 AUTOEXEC.BAT\r\n"},
           {"README      1045 May 10 1995 11:01\r\n", kUnchanged},
           {"MY DOCS         <DIR>   Jan 16 1995 14:02  d\r\n", kUnchanged},
       }},
      {"NetWare",
       ServerType::NetWare,
       {
           {"d [RWCEAFMS] supervisor            512 Jan 16 1998  6:53 pm login\r\n",
            "drw-------   1 owner group         512 Jan 16 18:53 login\r\n"},
           {"- [R----F--] rhesus             214059 Oct 20 1997 10:27 am cx.exe\r\n",
            "-r--------   1 owner group      214059 Oct 20 10:27 cx.exe\r\n"},
           // Noon plus twelve hours, as the twelve-hour rule has it.
           {"- [RW------] admin                1024 Mar  3 1998 12:30 pm noon.txt\r\n",
            "-rw-------   1 owner group        1024 Mar  3 24:30 noon.txt\r\n"},
           {"-rw-rw-rw-   1 admin  staff   1024 Mar  3 1997 11:15 am read me.txt\r\n",
            "-rw-rw-rw-   1 owner group        1024 Mar  3 11:15 read me.txt\r\n"},
           {"- [RWCEAFMS] admin 1 Jan 1 1998 1:00 PM upper.txt\r\n", kUnchanged},
           {"- [RWCEAFMS] admin 1 Jan 1 1998 1:00 pm\r\n", kUnchanged},
           {"- [RWCEAFMS] admin 1 Jan 1 1998 noon pm late.txt\r\n", kUnchanged},
           {"total 12\r\n", kUnchanged},
       }},
  };
  return listings;
}

TEST(ListingFilterTest, SampleListingsOfEachKindReachTheControllerInTheUnixForm) {
  for (const Listing& listing : SampleListings()) {
    std::vector<std::string> reported = RunListing(listing.type, listing.rows);
    for (size_t i = 0; i < listing.rows.size(); i++) {
      const Row& row = listing.rows[i];
      EXPECT_EQ(reported[i], row.reported ? row.reported : row.line)
          << listing.kind << " line " << i << ": " << row.line;
    }
  }
}

TEST(ListingFilterTest, HeldVmsNameLastsOneLineAndNoLongerThanItsListing) {
  ListingState state = {};
  struct tm now = FixedClock();
  const char* details = "        12/15  26-SEP-1996 17:05:01.42  [USER,SMITH]  (RWED,RWED,R,)\r\n";

  VmsListingStart(&state, &now);
  EXPECT_EQ(VmsListingFilter(&state, "LONG_NAME.TXT;1\r\n"), nullptr);
  ASSERT_NE(VmsListingFilter(&state, details), nullptr);
  EXPECT_TRUE(strstr(state.line, " LONG_NAME.TXT;1\r\n"));
  // The name went with its details: the same details again have no name.
  EXPECT_EQ(VmsListingFilter(&state, details), nullptr);

  // A listing broken off after a name-only line does not lend it to the next.
  EXPECT_EQ(VmsListingFilter(&state, "LONG_NAME.TXT;1\r\n"), nullptr);
  VmsListingStart(&state, &now);
  EXPECT_EQ(VmsListingFilter(&state, details), nullptr);

  // A name too long to hold leaves its details line alone too.
  std::string longName(200, 'N');
  EXPECT_EQ(VmsListingFilter(&state, longName.c_str()), nullptr);
  EXPECT_EQ(VmsListingFilter(&state, details), nullptr);
}

TEST(ListingFilterTest, VmsDateRuleCountsMonthsAcrossYears) {
  struct Case {
    int year, month;  // the listing's start
    const char* date;
    const char* shown;
  } cases[] = {
      {1997, 1, "31-APR-1996", "Apr 31 17:05"},  // nine months over a year's end
      {1997, 1, "1-MAR-1996", "Mar  1  1996"},   // ten months over a year's end
      {1997, 6, "1-DEC-1997", "Dec  1 17:05"},   // in the future
  };
  for (const Case& c : cases) {
    ListingState state = {};
    struct tm now = {};
    now.tm_year = c.year - 1900;
    now.tm_mon = c.month - 1;
    VmsListingStart(&state, &now);
    std::string line = std::string("F.TXT;1 1/1 ") + c.date + " 17:05:59 (RWED,RWED,RE,)\r\n";
    const char* converted = VmsListingFilter(&state, line.c_str());
    ASSERT_NE(converted, nullptr) << line;
    EXPECT_EQ(std::string(converted),
              std::string("-rwxr-x---   1 owner group         512 ") + c.shown + " F.TXT;1\r\n");
  }
}

// The filters cannot tell these reply lines from listing rows, which is why
// the listing reader alone calls them, on data lines only.
TEST(ListingFilterTest, ReplyLinesLookLikeRowsToTheFilters) {
  ListingState state = {};
  const char* reply = "125 Data connection already open; Transfer starting.\r\n";
  const char* converted = ChameleonListingFilter(&state, reply);
  ASSERT_NE(converted, nullptr);
  EXPECT_STREQ(converted,
               "starting.------   1 owner group        Data connection already Transfer 125\r\n");

  const char* banner = "-  Maximum of 50 users, 12 logged in\r\n";
  converted = MacOsListingFilter(&state, banner);
  ASSERT_NE(converted, nullptr);
  EXPECT_STREQ(converted, "-   1 owner  group          50 users, 12 logged in");
}

TEST(ListingFilterTest, RowsWhoseFieldsOrResultDoNotFitPassUnchanged) {
  std::string field127(127, 'x'), field128(128, 'x');
  struct Case {
    ListingFilter filter;
    std::string line;
    bool converted;
  } cases[] = {
      {VmsListingFilter, field128 + " 1 1-JAN-1997 (RWED,RWED,RE,RE)", false},
      {VmsListingFilter, "A 1 1-JAN-1997 (RWED,RWED,RE,RE) x y z " + field128, true},  // unread
      {VmsListingFilter, "A 1 1-JAN-1997 (RWED,RWED,RE,RE) [" + field128 + "]", false},
      {VmsListingFilter, "A 36028797018963968 1-JAN-1997 (RWED,RWED,RE,RE)", false},
      {VmsListingFilter, "A 36028797018963967 1-JAN-1997 (RWED,RWED,RE,RE)", true},
      {ChameleonListingFilter, "n 1 Jan 1 1995 10:00 " + field128, false},
      {ChameleonListingFilter,
       field127 + " " + field127 + " " + field127 + " 1 1995 " + field127 + " d", false},
      {MacOsListingFilter, "-rw-r--r--- 1 2 3 Jan 1 1996 name", false},
      {MacOsListingFilter, "drwx folder 2 May 10 1996 " + std::string(63, 'n'), true},
      {MacOsListingFilter, "drwx folder 2 May 10 1996 " + std::string(64, 'n'), false},
      {NetWareListingFilter, "- [RW] a 1 Jan 1 1998 1:00 pm " + field128, false},
      {NetWareListingFilter, "- [RW] a 1 Jan 1 1998 999999:99 pm n", false},
  };
  for (const Case& c : cases) {
    ListingState state = {};
    struct tm now = FixedClock();
    VmsListingStart(&state, &now);
    const char* converted = c.filter(&state, c.line.c_str());
    EXPECT_EQ(converted != nullptr, c.converted) << c.line;
    if (converted) EXPECT_LT(strlen(converted), (size_t)kListingLineSize);
  }
}

}  // namespace
