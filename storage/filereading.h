#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// A file's bytes, the first `limit` of them (all when negative); nothing when it could not
// be read, and `error`, if given, says in the user's words which file and why.
std::optional<QByteArray> readFileBytes(const QString &fileName, qint64 limit, QString *error);
