#include "platform/gui/SettingsStore.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <stdexcept>

namespace platform::gui {
namespace {

// INI files carry no types, so each value lives in the group of its type.
const QString kStringGroup = QStringLiteral("String/");
const QString kIntegerGroup = QStringLiteral("Integer/");

QString& RootOverride() {
  static QString root;
  return root;
}

// A missing file is never opened, so a read leaves nothing behind.
std::optional<QString> ReadRaw(const QString& key, const QString& entry) {
  const QString file = SettingsStore::FileForKey(key);
  if (!QFileInfo(file).isFile()) return std::nullopt;
  QSettings settings(file, QSettings::IniFormat);
  if (!settings.contains(entry)) return std::nullopt;
  return settings.value(entry).toString();
}

void WriteRaw(const QString& key, const QString& entry, const QString& otherTypeEntry,
              const QString& value) {
  const QString file = SettingsStore::FileForKey(key);
  if (!QDir().mkpath(QFileInfo(file).absolutePath()))
    throw std::runtime_error("Cannot create the settings folder for " + file.toStdString());
  QSettings settings(file, QSettings::IniFormat);
  settings.setValue(entry, value);
  settings.remove(otherTypeEntry);
  settings.sync();
  if (settings.status() == QSettings::AccessError)
    throw std::runtime_error("Cannot write the settings file " + file.toStdString());
}

}  // namespace

void SettingsStore::SetRoot(const QString& folder) { RootOverride() = folder; }

QString SettingsStore::Root() {
  if (!RootOverride().isEmpty()) return RootOverride();
  return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
}

QString SettingsStore::FileForKey(const QString& key) {
  QStringList parts = key.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
  if (!parts.isEmpty() && parts.front().compare(QLatin1String("Software"), Qt::CaseInsensitive) == 0)
    parts.removeFirst();
  // A key names folders below the root and never leaves it.
  parts.removeIf([](const QString& part) { return part == QLatin1String(".") || part == QLatin1String(".."); });
  return Root() + QLatin1Char('/') + parts.join(QLatin1Char('/')) + QLatin1String(".ini");
}

bool SettingsStore::KeyExists(const QString& key) { return QFileInfo(FileForKey(key)).isFile(); }

SettingType SettingsStore::TypeOf(const QString& key, const QString& name) {
  const QString file = FileForKey(key);
  if (!QFileInfo(file).isFile()) return SettingType::None;
  QSettings settings(file, QSettings::IniFormat);
  if (settings.contains(kStringGroup + name)) return SettingType::String;
  if (settings.contains(kIntegerGroup + name)) return SettingType::Integer;
  return SettingType::None;
}

std::optional<QString> SettingsStore::ReadString(const QString& key, const QString& name) {
  return ReadRaw(key, kStringGroup + name);
}

std::optional<std::int32_t> SettingsStore::ReadInteger(const QString& key, const QString& name) {
  const std::optional<QString> text = ReadRaw(key, kIntegerGroup + name);
  if (!text) return std::nullopt;
  bool ok = false;
  const int value = text->toInt(&ok);
  if (!ok) return std::nullopt;
  return value;
}

void SettingsStore::WriteString(const QString& key, const QString& name, const QString& value) {
  WriteRaw(key, kStringGroup + name, kIntegerGroup + name, value);
}

void SettingsStore::WriteInteger(const QString& key, const QString& name, std::int32_t value) {
  WriteRaw(key, kIntegerGroup + name, kStringGroup + name, QString::number(value));
}

}  // namespace platform::gui
