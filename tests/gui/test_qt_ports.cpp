// The Qt settings store, process runner and environment.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTimer>

#include "qtport/qt_environment.h"
#include "qtport/qt_process_runner.h"
#include "qtport/qt_settings_store.h"
#include "tests/support/fakes.h"

namespace solmir::test {
namespace {

TEST(QtSettingsStore, TextsComeBackAsTheyWereSaved) {
  TempDir dir;
  const QString folder = qt::from_path(dir.path());
  const std::vector<std::string> values = {
      "0",  "7815", "1,5",        " 3 ",        "é à ç",      "",        "a=b",
      "#x", ";y",   "C:\\Solmir", "@Invalid()", "\"quoted\"", "a, b, c", "%20"};
  {
    qt::QtSettingsStore store(folder);
    for (std::size_t i = 0; i < values.size(); ++i)
      store.save("Solmir", "Startup", "k" + std::to_string(i), values[i]);
  }
  qt::QtSettingsStore again(folder);
  for (std::size_t i = 0; i < values.size(); ++i)
    EXPECT_EQ(again.get("Solmir", "Startup", "k" + std::to_string(i), "<absent>"), values[i])
        << "\"" << values[i] << "\"";
}

TEST(QtSettingsStore, AbsentKeysGiveTheDefaultAndApplicationsAreApart) {
  TempDir dir;
  qt::QtSettingsStore store(qt::from_path(dir.path()));
  EXPECT_EQ(store.get("Solmir", "Startup", "Port", "0"), "0");
  store.save("Solmir", "Startup", "Port", "5");
  EXPECT_EQ(store.get("Autre", "Startup", "Port", "0"), "0");
  EXPECT_EQ(store.get("Solmir", "Autre", "Port", "0"), "0");
  EXPECT_EQ(store.get("Solmir", "Startup", "Port", "0"), "5");
}

TEST(QtSettingsStore, WhatAnotherCopySavedIsReadBack) {
  TempDir dir;
  qt::QtSettingsStore first(qt::from_path(dir.path()));
  EXPECT_EQ(first.get("Solmir", "Startup", "note30", "0"), "0");
  qt::QtSettingsStore second(qt::from_path(dir.path()));
  second.save("Solmir", "Startup", "note30", "61");
  EXPECT_EQ(first.get("Solmir", "Startup", "note30", "0"), "61");
}

TEST(QtProcessRunner, GivesTheExitCodeOrMinusOne) {
  qt::QtProcessRunner runner;
  EXPECT_EQ(runner.run_and_wait("/bin/sh", {"-c", "exit 3"}), 3);
  EXPECT_EQ(runner.run_and_wait("/bin/sh", {"-c", "true"}), 0);
  EXPECT_EQ(runner.run_and_wait("/nonexistent/avrdude", {}), -1);
  EXPECT_EQ(runner.run_and_wait("/bin/sh", {"-c", "kill -SEGV $$"}), -1);
}

TEST(QtProcessRunner, TheWindowKeepsRunningWhileTheProgramRuns) {
  qt::QtProcessRunner runner;
  bool handled = false;
  QTimer::singleShot(0, [&] { handled = true; });
  EXPECT_EQ(runner.run_and_wait("/bin/sh", {"-c", "sleep 0.2"}), 0);
  EXPECT_TRUE(handled);
}

// The upload's batch file ends with "Pause": the program run must not wait for a key that no
// one can type (its input is empty, not a pipe left open).
TEST(QtProcessRunner, AProgramThatWaitsForAKeyIsNotKeptWaiting) {
  qt::QtProcessRunner runner;
  EXPECT_EQ(runner.run_and_wait("/bin/sh", {"-c", "[ -p /dev/stdin ] && exit 1; read key; exit 5"}),
            5);
}

TEST(QtEnvironment, FoldersAreThoseOfThePlatform) {
  qt::QtEnvironment env;
  EXPECT_EQ(env.program_folder(), qt::to_path(QCoreApplication::applicationDirPath()));
  EXPECT_TRUE(env.documents_folder().is_absolute());
  const std::filesystem::path p = std::filesystem::path("/tmp") / "Musique é";
  EXPECT_EQ(qt::to_path(qt::from_path(p)), p);
}

}  // namespace
}  // namespace solmir::test
