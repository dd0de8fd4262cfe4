// Runs a fuzz target without libFuzzer, as CI does with gcc: every seed, every cut of each seed,
// then a fixed series of mutations. The random engine's seed is fixed, so every run feeds the
// same inputs and a failure repeats.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <cstdint>
#include <cstdio>
#include <random>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

constexpr int kMutations = 3000;

void Feed(const QByteArray& bytes) {
  LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size()));
}

// One to four edits: bit flips, inserted, deleted and overwritten bytes, and the largest
// 32-bit integer, which counts and lengths in the files are made of.
QByteArray Mutate(QByteArray bytes, std::mt19937& random) {
  const int edits = 1 + int(random() % 4);
  for (int i = 0; i < edits; ++i) {
    const qsizetype at = bytes.isEmpty() ? 0 : qsizetype(random() % bytes.size());
    const unsigned kind = bytes.isEmpty() ? 1 : random() % 5;
    if (kind == 0)
      bytes[at] = char(bytes[at] ^ (1 << (random() % 8)));
    else if (kind == 1)
      bytes.insert(at, char(random()));
    else if (kind == 2)
      bytes.remove(at, 1);
    else if (kind == 3)
      bytes[at] = char(random());
    else
      bytes.insert(at, QByteArray("\xff\xff\xff\x7f", 4));
  }
  return bytes;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s SEED-FOLDER\n", argv[0]);
    return 2;
  }
  const QDir folder(QString::fromLocal8Bit(argv[1]));
  std::vector<QByteArray> seeds;
  for (const QString& name : folder.entryList(QDir::Files, QDir::Name)) {
    QFile file(folder.filePath(name));
    if (!file.open(QIODevice::ReadOnly)) return 2;
    seeds.push_back(file.readAll());
  }
  if (seeds.empty()) {
    std::fprintf(stderr, "no seeds in %s\n", argv[1]);
    return 2;
  }
  for (const QByteArray& seed : seeds)
    for (qsizetype n = seed.size(); n >= 0; --n) Feed(seed.left(n));
  std::mt19937 random(20261208);
  for (int i = 0; i < kMutations; ++i) Feed(Mutate(seeds[size_t(i) % seeds.size()], random));
  std::printf("%zu seeds, their cuts and %d mutations read\n", seeds.size(), kMutations);
  return 0;
}
