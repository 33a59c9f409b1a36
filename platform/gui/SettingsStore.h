#pragma once
// The registry stand-in: each key path ("Software\Quillmere32\QuillmereDemo") is one INI file
// under the configuration folder ("Quillmere32/QuillmereDemo.ini"). Values are typed: a string
// or a 32-bit integer. Every call reads or writes the file, so other programs see changes at once.

#include <QString>
#include <cstdint>
#include <optional>

namespace platform::gui {

enum class SettingType { None, String, Integer };

class SettingsStore {
 public:
  // The folder the key files live under; defaults to the user's configuration folder.
  static void SetRoot(const QString& folder);
  static QString Root();
  static QString FileForKey(const QString& key);

  // Reads never create a key.
  static bool KeyExists(const QString& key);
  static SettingType TypeOf(const QString& key, const QString& name);
  static std::optional<QString> ReadString(const QString& key, const QString& name);
  static std::optional<std::int32_t> ReadInteger(const QString& key, const QString& name);

  // Writes create the key; a value keeps only the type last written. Throw std::runtime_error
  // when the key file cannot be written.
  static void WriteString(const QString& key, const QString& name, const QString& value);
  static void WriteInteger(const QString& key, const QString& name, std::int32_t value);
};

}  // namespace platform::gui
