#include "watchdog/event_source_setup.h"

#include <gtest/gtest.h>

#include <string>

#include "common/text.h"
#include "testing/fake_platform.h"
#include "watchdog/main_mod.h"

namespace zarn {
namespace {

constexpr char16_t kExe[] = u"C:\\Tools\\Daemon\\ZARNDaemon.exe";

class EventSourceSetupTest : public ::testing::Test {
 protected:
  // Main on "ZARNDaemon.exe `arguments`": its exit code.
  int Run(std::u16string arguments) {
    fake_.command_line = std::move(arguments);
    Platform platform = fake_.platform();
    return Main(platform);
  }
  std::u16string Shown() const {
    return fake_.message_box.shown().empty()
               ? u""
               : fake_.message_box.shown().back().text;
  }
  std::optional<RegistryValue> Value(std::u16string_view name) {
    return registry_.ReadValue(kEventSourceKeyPath, name);
  }

  FakePlatform fake_;
  FakeMachineRegistry& registry_ = fake_.machine_registry;
};

TEST_F(EventSourceSetupTest, CommandIsReadBeforeAnythingElse) {
  struct Case {
    const char16_t* arguments;
    std::optional<EventLogCommand> command;
  };
  using C = EventLogCommand;
  const Case cases[] = {
      {u"/eventlog install", C::kInstall},
      {u"  /EventLog   INSTALL ", C::kInstall},
      {u"/eventlog uninstall", C::kUninstall},
      {u"/eventlog", C::kUnknown},
      {u"/eventlog install 1", C::kUnknown},
      {u"/eventlog remove", C::kUnknown},
      {u"", std::nullopt},
      {u"1", std::nullopt},
      {u"x /eventlog install", std::nullopt},
      {u"/eventlogs install", std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf16ToUtf8(c.arguments));
    EXPECT_EQ(ParseEventLogCommand(c.arguments), c.command);
  }
}

TEST_F(EventSourceSetupTest, InstallWritesTheRegistrationAndSupervisesNothing) {
  fake_.exe_path = u"C:\\Z.exe";
  fake_.settings.Set(settings::kDaemonCommand, u"RUN");
  EXPECT_EQ(Run(u"/eventlog install"), 0);
  const RegistryValue path{
      kRegText,
      {'C', 0, ':', 0, '\\', 0, 'Z', 0, '.', 0, 'e', 0, 'x', 0, 'e', 0, 0, 0}};
  EXPECT_EQ(Value(u"EventMessageFile"), path);
  EXPECT_EQ(Value(u"CategoryMessageFile"), path);
  EXPECT_EQ(Value(u"CategoryCount"), (RegistryValue{kRegNumber, {4, 0, 0, 0}}));
  EXPECT_EQ(Value(u"TypesSupported"),
            (RegistryValue{kRegNumber, {7, 0, 0, 0}}));
  EXPECT_TRUE(
      StartsWith(Shown(), u"Die Ereignisquelle ZARNDaemon ist eingerichtet."));
  EXPECT_TRUE(Contains(Shown(), u"\nC:\\Z.exe\n"));
  EXPECT_EQ(fake_.status_view.show_count(), 0);
  EXPECT_EQ(fake_.settings.Get(settings::kDaemonCommand), u"RUN");
}

TEST_F(EventSourceSetupTest, APathWithASemicolonIsNeverRegistered) {
  fake_.exe_path = u"D:\\Prüfung;alt\\ZARNDaemon.exe";
  EXPECT_EQ(Run(u"/eventlog install"), 1);
  EXPECT_FALSE(fake_.machine_registry.KeyExists(kEventSourceKeyPath));
  EXPECT_TRUE(Contains(Shown(), u"Semikolon"));
}

TEST_F(EventSourceSetupTest, StandardUserIsToldToAskAnAdministrator) {
  struct Case {
    const char16_t* command;
    bool installed;
    const char16_t* doing;
  };
  for (const Case& c : {Case{u"install", false, u"Einrichten"},
                        Case{u"install", true, u"Einrichten"},
                        Case{u"uninstall", true, u"Entfernen"}}) {
    SCOPED_TRACE(Utf16ToUtf8(c.command));
    FakeMachineRegistry& registry = registry_;
    if (c.installed) {
      ASSERT_EQ(InstallEventSource(registry, kExe).error, 0u);
    }
    const FakeMachineRegistry::Keys start = registry.keys();
    registry.set_standard_user(true);
    EXPECT_EQ(Run(u"/eventlog " + std::u16string(c.command)), 1);
    registry.set_standard_user(false);
    EXPECT_EQ(registry.keys(), start);
    EXPECT_EQ(Shown(), u"Zum " + std::u16string(c.doing) +
                           u" der Ereignisquelle ZARNDaemon sind "
                           u"Administratorrechte nötig. Öffnen Sie die "
                           u"Eingabeaufforderung mit „Als Administrator "
                           u"ausführen“ und rufen Sie dort\nZARNDaemon.exe "
                           u"/eventlog " +
                           c.command + u"\nauf. Es wurde nichts geändert.");
    EXPECT_EQ(fake_.message_box.shown().back().kind,
              MessageKind::kCriticalSystemModal);
    ASSERT_EQ(UninstallEventSource(registry).error, 0u);
  }
}

TEST_F(EventSourceSetupTest, AFailedChangeLeavesNothingHalfWritten) {
  // Install and uninstall make up to five changes each; any may fail, on a
  // fresh machine or on a key with an old registration and a value of
  // another's.
  for (const bool had_key : {false, true}) {
    for (const bool install : {true, false}) {
      for (int n = 1; n <= 5; ++n) {
        SCOPED_TRACE(testing::Message() << "key " << had_key << ", install "
                                        << install << ", change " << n);
        FakeMachineRegistry registry;
        if (had_key) {
          registry.CreateKey(kEventSourceKeyPath);
          registry.WriteValue(kEventSourceKeyPath, u"EventMessageFile",
                              {kRegText, {'X', 0, 0, 0}});
          registry.WriteValue(kEventSourceKeyPath, u"Other", {kRegNumber, {1}});
        }
        if (!install) InstallEventSource(registry, kExe);
        const FakeMachineRegistry::Keys start = registry.keys();
        registry.FailChange(n, 1450);
        const RegistrationResult result =
            install ? InstallEventSource(registry, kExe)
                    : UninstallEventSource(registry);
        EXPECT_EQ(result.error, 1450u);
        EXPECT_TRUE(result.restored);
        EXPECT_EQ(registry.keys(), start);
      }
    }
  }
}

TEST_F(EventSourceSetupTest, AFailedUndoIsSaid) {
  registry_.FailChange(3, 1450);  // the second value
  registry_.FailChange(4, 1450);  // putting back the first
  EXPECT_EQ(Run(u"/eventlog install"), 1);
  EXPECT_TRUE(Contains(Shown(), u"Windows-Fehler 1450"));
  EXPECT_TRUE(Contains(Shown(), u"prüfen Sie sie mit regedit"));
}

TEST_F(EventSourceSetupTest, UnknownEventLogCommandIsNamed) {
  EXPECT_EQ(Run(u"/eventlog remove "), 2);
  EXPECT_TRUE(StartsWith(
      Shown(), u"Unbekannter Aufruf: ZARNDaemon.exe /eventlog remove\n"));
  EXPECT_EQ(registry_.changes_made(), 0);
  EXPECT_EQ(fake_.status_view.show_count(), 0);
}

}  // namespace
}  // namespace zarn
