#pragma once
// What a choice in the setup wizard's country or TV-system list yields for the channel object.

#include <QString>
#include <QtGlobal>

namespace pvx::tuning {

struct TTuningEntry {
  QString Text;             // as the list shows it; empty for a position outside the list
  quint8 TableIndex = 0;    // record of TVTable.tbl
  quint8 Standard = 0;      // TV standard index 0..9
  qint32 CountryCode = 1;   // international dialling code handed to the tuner
};

}  // namespace pvx::tuning
