#pragma once
// What every benchmark runs in: a fresh program folder and runtime folder of its own, so it
// never reads or writes the user's, and, for those that start the program, a home whose
// channels are already tuned, so the first-run setup wizard does not wait for a person.

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QTemporaryDir>

namespace pvx::bench {

class TBenchHome {
 public:
  // Sets OKA_PVX_HOME and XDG_RUNTIME_DIR of this process to new folders.
  TBenchHome();
  TBenchHome(const TBenchHome&) = delete;
  TBenchHome& operator=(const TBenchHome&) = delete;

  // The program folder, ending with "/".
  QString Home() const { return home_; }
  // Writes the channel file a finished setup wizard leaves (the country plan of the USA, on
  // the antenna); false when it cannot.
  bool StoreTunedChannels() const;
  // For the program started as a child: this home (also as HOME, so its recordings stay in
  // it), no sound device, no screen unless one is asked for.
  QProcessEnvironment ProgramEnvironment() const;

 private:
  QTemporaryDir dir_;
  QString home_;
};

// Starts the program with its output in `log` (a pipe nobody reads would stall it once full) and
// waits up to 30 s for its main window to answer; false, with the process killed and the reason
// on the error output, when it never does.
bool StartProgram(QProcess& process, const QString& binary, const QProcessEnvironment& env, const QString& log);

// Takes "--smoke" out of the arguments: the benchmark then runs its shortest configuration,
// which only proves that it still measures (CI runs it as a test).
bool TakeSmokeFlag(int& argc, char** argv);

}  // namespace pvx::bench
