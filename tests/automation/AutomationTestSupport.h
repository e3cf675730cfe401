#pragma once
// A database with a few stocks, the automation context over it and a way to run scripts on it.

#include <QCoreApplication>
#include <string>
#include <vector>

#include "automation/ScriptRunner.h"
#include "common/TestSupport.h"
#include "platform/ConsoleUserInterface.h"

namespace velmora::test {

// The script engine wants an application object; one serves every test.
inline void EnsureCoreApplication() {
    static int argc = 1;
    static char name[] = "velmora_automation_tests";
    static char* argv[] = {name, nullptr};
    // Kept to the end of the process (Qt holds it as the instance): Qt's own globals are gone
    // before static destructors would run.
    if (QCoreApplication::instance() == nullptr) new QCoreApplication(argc, argv);
}

class AutomationFixture {
  public:
    explicit AutomationFixture(DocumentHost* host = nullptr)
        : context{db, prefs, ui, host != nullptr ? *host : nullHost, profile.path(), {}} {
        EnsureCoreApplication();
        db.SetWorkspaceDir(workspace.path());
        db.SetLoadedFromDir(workspace.path());
        for (const char* t : {"BETA", "alpha", "Gamma"}) db.AddStock(t);
        Stock& alpha = *db.FindStock("ALPHA");
        alpha.FullName.Set("Alpha Works");
        for (int day = 2; day <= 4; ++day) {
            Quotation& q = *db.AddQuotation(alpha, MakeDate(2024, 1, day));
            q.Close = static_cast<float>(10 + day);
            q.Open = q.High = q.Low = q.Close;
            q.Volume = 100 * day;
        }
        for (const auto& s : db.Stocks()) s->Modified = false;
        db.SetWorkspaceDirty(false);
    }

    // Runs the program; the printed lines, or the error as the only line prefixed "ERROR ".
    std::vector<std::string> Run(const std::string& source) {
        std::vector<std::string> lines;
        const ScriptResult r = ScriptRunner(context).Run(
            "var app = createObject('Tarvik.Application');\n" + source, "test.js", {},
            [&](std::string_view line) { lines.emplace_back(line); });
        if (!r.ok) lines.push_back("ERROR " + r.error);
        return lines;
    }
    // The single line a one-line program prints.
    std::string Eval(const std::string& expression) {
        const auto lines = Run("print(" + expression + ");");
        return lines.size() == 1 ? lines[0] : "(" + std::to_string(lines.size()) + " lines)";
    }

    TempDir profile, workspace;
    Database db;
    Preferences prefs;
    RecordingUserInterface ui;
    NullDocumentHost nullHost;
    AutomationContext context;
};

}  // namespace velmora::test
