#pragma once

#include "data/Result.h"

#include <QString>

// The settings file: a plain INI file of [section] headers and key=value lines, read and written one
// key at a time. A write replaces or adds that one key and leaves every other line as it was; section
// names are used exactly as given, a trailing blank included ("qishi "). Names compare without letter
// case, as INI files always have.
class IniFile {
  public:
    explicit IniFile(QString path);

    const QString& path() const { return path_; }

    // A missing file, section or key, or a value that is not a decimal integer, gives the default.
    int readInteger(const QString& section, const QString& key, int defaultValue) const;
    // Stored as "1" or "0"; any non-zero number reads as true.
    bool readBool(const QString& section, const QString& key, bool defaultValue) const;

    // The first write creates the file (readable by its owner only) and its folder's file; a file that
    // cannot be written fails with a message naming it.
    Status writeInteger(const QString& section, const QString& key, int value);
    Status writeBool(const QString& section, const QString& key, bool value);

    // The raw value of a key, or nothing when the file, section or key is missing.
    std::optional<QString> readString(const QString& section, const QString& key) const;
    Status writeString(const QString& section, const QString& key, const QString& value);

  private:
    QString path_;
};

// Section and key names of the settings the program keeps.
namespace Settings {
inline const QString kStyleSection = QStringLiteral("ysxuanze");
inline const QString kStyleKey = QStringLiteral("yangshi");
inline constexpr int kDefaultStyle = 2;
inline const QString kFirstStartSection = QStringLiteral("qishi ");
inline const QString kFirstStartKey = QStringLiteral("chsh");
}  // namespace Settings
