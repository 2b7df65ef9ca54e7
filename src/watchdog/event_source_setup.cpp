#include "watchdog/event_source_setup.h"

#include <string>
#include <vector>

#include "common/text.h"
#include "watchdog/build_title.h"
#include "watchdog/event_report.h"

namespace zarn {
namespace {

constexpr std::u16string_view kEventMessageFile = u"EventMessageFile";
constexpr std::u16string_view kCategoryMessageFile = u"CategoryMessageFile";
constexpr std::u16string_view kCategoryCount = u"CategoryCount";
constexpr std::u16string_view kTypesSupported = u"TypesSupported";
constexpr std::u16string_view kValueNames[] = {
    kEventMessageFile, kCategoryMessageFile, kCategoryCount, kTypesSupported};
// EVENTLOG_ERROR_TYPE | EVENTLOG_WARNING_TYPE | EVENTLOG_INFORMATION_TYPE.
constexpr uint32_t kTypesWeReport = 0x1 | 0x2 | 0x4;

RegistryValue TextValue(std::u16string_view text) {
  RegistryValue value{kRegText, {}};
  for (char16_t c : text) {
    value.data.push_back(static_cast<uint8_t>(c & 0xFF));
    value.data.push_back(static_cast<uint8_t>(c >> 8));
  }
  value.data.insert(value.data.end(), {0, 0});
  return value;
}

RegistryValue NumberValue(uint32_t number) {
  RegistryValue value{kRegNumber, {}};
  for (int shift = 0; shift < 32; shift += 8) {
    value.data.push_back(static_cast<uint8_t>(number >> shift));
  }
  return value;
}

// What one value of the key was before we touched it.
struct Saved {
  std::u16string_view name;
  std::optional<RegistryValue> value;
};

// Puts back the saved values that differ now; false when one of them could
// not be. A change that was refused changed nothing and is left alone: a
// standard user could not undo it either.
bool Restore(MachineRegistry& registry, const std::vector<Saved>& saved) {
  bool all = true;
  for (const Saved& s : saved) {
    if (registry.ReadValue(kEventSourceKeyPath, s.name) == s.value) continue;
    const uint32_t error =
        s.value ? registry.WriteValue(kEventSourceKeyPath, s.name, *s.value)
                : registry.DeleteValue(kEventSourceKeyPath, s.name);
    all = all && error == 0;
  }
  return all;
}

std::vector<std::u16string> Words(std::u16string_view text) {
  std::vector<std::u16string> words;
  size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t')) ++i;
    const size_t start = i;
    while (i < text.size() && text[i] != u' ' && text[i] != u'\t') ++i;
    if (i > start) words.emplace_back(text.substr(start, i - start));
  }
  return words;
}

std::u16string CommandText(EventLogCommand command) {
  return command == EventLogCommand::kInstall
             ? u"ZARNDaemon.exe /eventlog install"
             : u"ZARNDaemon.exe /eventlog uninstall";
}

std::u16string FailureMessage(EventLogCommand command,
                              const RegistrationResult& result) {
  const std::u16string_view doing =
      command == EventLogCommand::kInstall ? u"Einrichten" : u"Entfernen";
  if (result.error == kErrorAccessDenied && result.restored) {
    return u"Zum " + std::u16string(doing) +
           u" der Ereignisquelle ZARNDaemon sind Administratorrechte "
           u"nötig. Öffnen Sie die Eingabeaufforderung mit „Als "
           u"Administrator ausführen“ und rufen Sie dort\n" +
           CommandText(command) + u"\nauf. Es wurde nichts geändert.";
  }
  std::u16string message =
      u"Das " + std::u16string(doing) +
      u" der Ereignisquelle ZARNDaemon ist fehlgeschlagen (Windows-Fehler " +
      ToDecimal(result.error) + u").";
  if (result.restored) return message + u" Es wurde nichts geändert.";
  return message + u" Die Werte unter\nHKEY_LOCAL_MACHINE\\" +
         std::u16string(kEventSourceKeyPath) +
         u"\nließen sich nicht vollständig zurücksetzen; prüfen Sie sie "
         u"mit regedit.";
}

}  // namespace

std::optional<EventLogCommand> ParseEventLogCommand(
    std::u16string_view arguments) {
  const std::vector<std::u16string> words = Words(arguments);
  if (words.empty() || !EqualsIgnoreCase(words[0], u"/eventlog")) {
    return std::nullopt;
  }
  if (words.size() == 2 && EqualsIgnoreCase(words[1], u"install")) {
    return EventLogCommand::kInstall;
  }
  if (words.size() == 2 && EqualsIgnoreCase(words[1], u"uninstall")) {
    return EventLogCommand::kUninstall;
  }
  return EventLogCommand::kUnknown;
}

RegistrationResult InstallEventSource(MachineRegistry& registry,
                                      std::u16string_view exe_path) {
  const bool key_existed = registry.KeyExists(kEventSourceKeyPath);
  if (const uint32_t error = registry.CreateKey(kEventSourceKeyPath)) {
    return {error, true};
  }
  const RegistryValue values[] = {TextValue(exe_path), TextValue(exe_path),
                                  NumberValue(event_ids::kCategoryCount),
                                  NumberValue(kTypesWeReport)};
  std::vector<Saved> saved;
  for (size_t i = 0; i < std::size(kValueNames); ++i) {
    // Saved before the write: a write that fails may have changed the
    // value all the same.
    saved.push_back({kValueNames[i],
                     registry.ReadValue(kEventSourceKeyPath, kValueNames[i])});
    if (const uint32_t error = registry.WriteValue(kEventSourceKeyPath,
                                                   kValueNames[i], values[i])) {
      const bool restored = Restore(registry, saved);
      if (key_existed || !restored) return {error, restored};
      return {error, registry.DeleteEmptyKey(kEventSourceKeyPath) == 0};
    }
  }
  return {};
}

RegistrationResult UninstallEventSource(MachineRegistry& registry) {
  std::vector<Saved> saved;
  for (std::u16string_view name : kValueNames) {
    saved.push_back({name, registry.ReadValue(kEventSourceKeyPath, name)});
    if (const uint32_t error =
            registry.DeleteValue(kEventSourceKeyPath, name)) {
      return {error, Restore(registry, saved)};
    }
  }
  const uint32_t error = registry.DeleteEmptyKey(kEventSourceKeyPath);
  // A key that others keep values or subkeys in stays theirs.
  if (error != 0 && error != kErrorKeyNotEmpty) {
    return {error, Restore(registry, saved)};
  }
  return {};
}

std::optional<int> RunEventLogCommand(Platform& platform) {
  const std::optional<EventLogCommand> command =
      ParseEventLogCommand(platform.command_line);
  if (!command) return std::nullopt;
  MessageBox& box = platform.message_box;
  MachineRegistry& registry = platform.machine_registry;
  if (*command == EventLogCommand::kUnknown) {
    box.Show(u"Unbekannter Aufruf: ZARNDaemon.exe " +
                 TrimSpaces(platform.command_line) +
                 u"\nZARNDaemon.exe kennt /eventlog install (die "
                 u"Ereignisquelle einrichten) und /eventlog uninstall (sie "
                 u"entfernen), beide als Administrator.",
             BuildTitle(), MessageKind::kCriticalSystemModal);
    return 2;
  }
  if (*command == EventLogCommand::kUninstall &&
      !registry.KeyExists(kEventSourceKeyPath)) {
    box.Show(
        u"Die Ereignisquelle ZARNDaemon war nicht eingerichtet. Es wurde "
        u"nichts geändert.",
        BuildTitle(), MessageKind::kPlain);
    return 0;
  }
  // EventMessageFile lists message files apart by semicolons: a path with
  // one in it would name files that are not there.
  if (*command == EventLogCommand::kInstall &&
      platform.exe_path.find(u';') != std::u16string::npos) {
    box.Show(
        u"Die Ereignisquelle ZARNDaemon lässt sich nicht einrichten, "
        u"solange der Pfad von ZARNDaemon.exe ein Semikolon enthält:\n" +
            platform.exe_path +
            u"\nLegen Sie das Programm in einen Ordner ohne „;“. Es "
            u"wurde nichts geändert.",
        BuildTitle(), MessageKind::kCriticalSystemModal);
    return 1;
  }
  const RegistrationResult result =
      *command == EventLogCommand::kInstall
          ? InstallEventSource(registry, platform.exe_path)
          : UninstallEventSource(registry);
  if (result.error != 0) {
    box.Show(FailureMessage(*command, result), BuildTitle(),
             MessageKind::kCriticalSystemModal);
    return 1;
  }
  if (*command == EventLogCommand::kInstall) {
    box.Show(
        u"Die Ereignisquelle ZARNDaemon ist eingerichtet. Die "
        u"Ereignisanzeige zeigt die Ereignisse des ZARN Daemon im "
        u"Protokoll „Anwendung“ jetzt mit ihren Texten aus\n" +
            platform.exe_path +
            u"\nWird ZARNDaemon.exe verschoben, richten Sie die Quelle "
            u"am neuen Ort erneut ein.",
        BuildTitle(), MessageKind::kPlain);
  } else {
    box.Show(
        u"Die Ereignisquelle ZARNDaemon ist entfernt. Ihre Ereignisse "
        u"bleiben im Protokoll „Anwendung“; die Ereignisanzeige zeigt "
        u"sie nun ohne ihre Texte.",
        BuildTitle(), MessageKind::kPlain);
  }
  return 0;
}

}  // namespace zarn
