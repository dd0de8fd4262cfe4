#pragma once
// One comparison of a given secret with the expected one, for every server that takes a token.

#include <QByteArray>

namespace pvx::platform {

// Takes as long for a wrong token as for the right one, whatever its length; an empty expected
// secret matches nothing.
inline bool SameSecret(const QByteArray& given, const QByteArray& expected) {
  if (expected.isEmpty()) return false;
  unsigned difference = unsigned(given.size() ^ expected.size());
  for (qsizetype i = 0; i < expected.size(); ++i)
    difference |= unsigned(quint8(expected[i]) ^ quint8(i < given.size() ? given[i] : 0));
  return difference == 0;
}

}  // namespace pvx::platform
