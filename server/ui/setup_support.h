// What the setup dialogs share: their message boxes, the key field of the list
// dialogs (trailing blanks don't count) and the uid and gid fields. Nothing
// here cuts a text short silently: a text too long for its record is refused.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>

#include "platform/windows.h"

// Owned by the dialog, with the server's caption, the error icon and OK.
void SetupMessage(HWND dialog, const char* format, ...) __attribute__((format(printf, 2, 3)));

void EnableControls(HWND dialog, std::initializer_list<int> ids, BOOL enable);

// A field's text, without trailing blanks unless asked; FALSE when more than
// size - 1 characters are left.
BOOL FieldText(HWND dialog, int id, char* text, size_t size, BOOL keepBlanks = FALSE);
// Shows a key in its combo box, with its list entry selected when it has one.
void ShowKey(HWND dialog, int id, const char* text);
// Whether the text is an entry of the combo box's list, ignoring case.
BOOL IsListEntry(HWND dialog, int id, const char* text);
// The entry the person chose in a combo box's list; FALSE when none is.
BOOL ChosenEntry(HWND dialog, int id, char* text, size_t size);
// The first entry of a combo box's list (the alphabetically first when it
// sorts); FALSE when the list is empty.
BOOL FirstEntry(HWND dialog, int id, char* text, size_t size);
// Removes the entry equal to the text (ignoring case), if there is one.
void DeleteListEntry(HWND dialog, int id, const char* text);

// A uid or gid field: empty reads as 0 (how an id of 0 is shown), otherwise
// decimal digits up to 4294967295; FALSE for anything else.
BOOL ReadId(HWND dialog, int id, uint32_t* value);
// "%lu", or empty for 0.
void ShowId(HWND dialog, int id, uint32_t value);
