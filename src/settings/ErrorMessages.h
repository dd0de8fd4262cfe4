#pragma once
// The numbered messages every failure the user is told about goes through, and the one
// warning window that shows them.

#include <QString>

namespace pvx::settings {

// The built-in English text of a code; empty for a code outside the table.
QString BuiltInErrorMessage(int code);

// The language file's text for the code (key: the code in decimal), else the built-in text.
QString GetErrorMessage(int code);

// Shows the warning with the message of `code` and, when secondCode > 0, that of secondCode
// on the next line. Returns when the user dismissed it. While a warning is open, further
// warnings are dropped.
void ShowErrorCode(int code, int secondCode = 0);

// Shows the warning with a ready text.
void ShowErrorText(const QString& text);
// While the program ends nobody is left to answer a warning (a logout waits for no one): the
// warnings of a failed last save go to the log instead.
void LogWarningsOnly(bool logged);

// Closes the open warning as if OK had been pressed.
void CloseWarning();

// True while a warning is open.
bool IsWarningOpen();

}  // namespace pvx::settings
