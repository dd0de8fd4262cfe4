#pragma once
// What every fuzz target shares: a program folder of its own ($OKA_PVX_HOME) in a temporary
// folder made once per process, dialogs that close at once, and system services that call every
// folder read-only, so a folder named in a file is never created on the machine.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdlib>

#include "platform/DialogService.h"
#include "platform/ProgramFolder.h"
#include "support/FakeSystemServices.h"

namespace pvx::fuzz {

class QuietDialogs final : public platform::IDialogService {
 public:
  platform::MsgResult MessageBox(const QString&, const QString&, platform::MsgButtons) override {
    return platform::MsgResult::Ok;
  }
  void ShowWarning(const QStringList&) override {}
  void CloseWarning() override {}
  QString BrowseFolder(const QString&, const QString&) override { return {}; }
};

// The program folder, ending with "/".
inline const QString& Home() {
  static const QString home = [] {
    static QTemporaryDir folder;
    qputenv("OKA_PVX_HOME", folder.path().toUtf8());
    static test::FakeSystemServices system;
    system.ReadOnlyPrefixes = {QString()};
    platform::SetSystemServices(&system);
    static QuietDialogs dialogs;
    platform::SetDialogs(&dialogs);
    // Millions of refused files (and Qt's "Broken filename" for a stored path with a zero byte)
    // would otherwise each leave a line.
    QLoggingCategory::setFilterRules(QStringLiteral("pvx.*=false\ndefault.warning=false"));
    return platform::ProgramFolder();
  }();
  return home;
}

// Writes the bytes as `name` in the program folder, replacing any earlier file; returns its path.
inline QString Put(const QString& name, const QByteArray& bytes) {
  const QString path = Home() + name;
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) std::abort();
  if (file.write(bytes) != bytes.size()) std::abort();
  return path;
}

inline QByteArray Bytes(const uint8_t* data, size_t size) {
  return QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
}

inline QByteArray Get(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A broken invariant is a finding: abort, so the fuzzer keeps the input.
inline void Expect(bool holds) {
  if (!holds) std::abort();
}

}  // namespace pvx::fuzz
