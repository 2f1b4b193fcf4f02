// The headless harness of the installation layer's tests: a package root
// C:\VEM\ on a temporary drive, scripted messages, directory edits and
// overlap choices, and a Session started on it.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "common/package_builder.h"
#include "common/recording_ui.h"
#include "common/temp_package.h"
#include "install/ports.h"
#include "install/session.h"

namespace install_test {

using testing_support::AppEntry;
using testing_support::NbIni;
using testing_support::OracleTable;

class FakeWorkDirs : public install::WorkDirEdits {
 public:
  void SetDirText(install::WorkDir dir, const std::string& text) override { texts[dir] = text; }
  std::string DirText(install::WorkDir dir) const override {
    auto it = texts.find(dir);
    return it == texts.end() ? std::string() : it->second;
  }
  void MarkByDir(install::WorkDir dir) override { ++marks[dir]; }
  std::map<install::WorkDir, std::string> texts;
  std::map<install::WorkDir, int> marks;
};

// Answers the overlap dialogs in order; each call is recorded.
class ScriptedChooser : public install::OverlapChooser {
 public:
  using Answer = std::function<bool(std::vector<install::ErrorStruct>&)>;
  static Answer Keep(size_t index) {
    return [index](std::vector<install::ErrorStruct>& e) {
      e.at(index).Keep = true;
      return true;
    };
  }
  static Answer Cancel() {
    return [](std::vector<install::ErrorStruct>&) { return false; };
  }
  bool Choose(std::vector<install::ErrorStruct>& entries) override {
    shown.push_back(entries);
    if (answers.empty()) return false;
    auto answer = answers.front();
    answers.pop_front();
    return answer(entries);
  }
  std::deque<Answer> answers;
  std::vector<std::vector<install::ErrorStruct>> shown;
};

class InstallTest : public ::testing::Test {
 protected:
  static constexpr const char* kRoot = "C:\\VEM\\";
  static constexpr const char* kProgram = "C:\\VEM\\BIN\\vem-config";

  InstallTest() : builder(package) {}

  // A table with the six default rows (call before adding bases).
  void DefaultTable() { builder.Table().DefaultRows(kRoot); }

  // Writes the table and runs FormCreate and Set; args as on the command
  // line (none: the root is the program's drive + \VEM\).
  bool Start(const std::vector<std::string>& args = {}, bool writeTable = true) {
    if (writeTable) builder.WriteTable();
    session = std::make_unique<install::Session>(dirs, chooser);
    session->FormCreate(kProgram);
    return session->Set(args);
  }

  install::TdmInstall& dm() { return session->Dm(); }
  engine::Table& table() { return *session->Dm().Table(); }

  // Stored texts (UTF-8) of a column over the rows the table shows.
  std::vector<std::string> Shown(const std::string& column) {
    std::vector<std::string> out;
    auto& ds = session->Dm().DS();
    for (size_t i = 0; i < ds.RowCount(); ++i)
      out.push_back(testing_support::FromCp866(ds.FieldText(i, column)));
    return out;
  }

  // The file as an independent reader sees it.
  OracleTable Oracle() {
    auto t = testing_support::ReadWithDbfread(builder.TableHost());
    if (!t) {
      ADD_FAILURE() << "/usr/bin/python3 with dbfread is needed";
      return {};
    }
    return *t;
  }
  // Oracle rows of one kind, one column.
  std::vector<std::string> OracleColumn(const std::string& kind, const std::string& column) {
    std::vector<std::string> out;
    for (const auto& r : Oracle().rows)
      if (r.at("VID") == kind) out.push_back(r.at(column));
    return out;
  }
  int OracleWidth(const std::string& column) {
    for (const auto& c : Oracle().columns)
      if (c.name == column) return c.length;
    return -1;
  }

  testing_support::TempPackage package;
  testing_support::PackageBuilder builder;
  testing_support::RecordingUi ui;
  FakeWorkDirs dirs;
  ScriptedChooser chooser;
  std::unique_ptr<install::Session> session;
};

}  // namespace install_test
