// The listing filters of the server kinds whose listings differ from the Unix
// long form. Each rewrites the rows it recognises into that form and leaves
// every other line (headings, totals, anything it cannot parse) as it was.
#pragma once

#include "listing/listing_state.h"

// Clears the continuation and takes the year and month the date rule measures from.
void VmsListingStart(ListingState* state, const struct tm* now);
const char* VmsListingFilter(ListingState* state, const char* line);
const char* MacOsListingFilter(ListingState* state, const char* line);
const char* ChameleonListingFilter(ListingState* state, const char* line);
const char* NetWareListingFilter(ListingState* state, const char* line);
