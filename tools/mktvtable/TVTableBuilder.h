#pragma once
// Turns the channel plans (JSON: per table an antenna and a cable object mapping slot 1..160 to
// a picture carrier in kHz) into the bytes of the installed frequency table file.

#include <QByteArray>
#include <QString>

namespace pvx::tools {

// Fills `table` with every record in table order. On bad input returns false, leaves `table`
// empty and says what is wrong in `error`.
//
// A table that names "reuses_table" may leave out a block and then takes the other table's;
// a block it does give must equal that table's, so the two cannot drift apart.
bool BuildTVTable(const QByteArray& json, QByteArray& table, QString& error);

}  // namespace pvx::tools
