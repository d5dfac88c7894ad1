// Working storage of the listing filters: one record owned by the caller (the
// session) and lent to every filter call of a listing, so the filters keep no
// state of their own and a listing's start resets everything that carries over.
#pragma once

#include <ctime>

inline constexpr int kListingLineSize = 512;   // a converted line: 511 characters at most
inline constexpr int kListingFieldSize = 128;  // a field of a parsed line: 127 at most

struct ListingState {
  bool continuation;                 // VMS: the line before held only a name
  char heldName[kListingFieldSize];  // VMS: that name; empty when it was too long to keep
  int startYear;                     // VMS: local time at the listing's start,
  int startMonth;                    // year and month (1 to 12)
  char line[kListingLineSize];       // the converted line
};

// Converts one line of a listing read from the data connection. Returns the
// converted line (in state->line, valid until the next call) or nullptr when
// the line is to be reported as the server sent it. Reply lines of the control
// connection must never pass through a filter: some of them look like listing
// rows (a seven-word reply to the Chameleon filter, a reply of seven or eight
// words beginning with d, r, w, x or - to the MacOS one) and would be garbled.
typedef const char* (*ListingFilter)(ListingState* state, const char* line);

// Run before a listing; now is the local time.
typedef void (*ListingStart)(ListingState* state, const struct tm* now);
