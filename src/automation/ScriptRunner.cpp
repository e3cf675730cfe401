#include "automation/ScriptRunner.h"

#include <QJSEngine>
#include <QStringList>
#include <utility>

#include "automation/AApplication.h"

namespace velmora {

namespace {

// The host functions behind the script's globals.
class ScriptGlobals : public QObject {
    Q_OBJECT

  public:
    ScriptGlobals(AutomationContext& context, const std::function<void(std::string_view)>& print)
        : context_(context), print_(print) {}

    Q_INVOKABLE QObject* createObject(const QString& progId) {
        if (progId.compare(QLatin1String(kAutomationProgId), Qt::CaseInsensitive) != 0) {
            if (QJSEngine* engine = qjsEngine(this)) {
                engine->throwError(
                    QStringLiteral("createObject: no class is registered as '%1'").arg(progId));
            }
            return nullptr;
        }
        return automation::Make<AApplication>(context_);
    }

    Q_INVOKABLE void write(const QString& line) { print_(automation::ToStdString(line)); }

  private:
    AutomationContext& context_;
    const std::function<void(std::string_view)>& print_;
};

// The globals, over the host object the engine holds as "__velmora".
constexpr char kPrelude[] = R"JS(
var createObject = function (progId) { return __velmora.createObject(String(progId)); };
var print = function (...values) { __velmora.write(values.map(String).join(" ")); };
)JS";

}  // namespace

namespace {

constexpr char kPreludeFile[] = "velmora:prelude";

// The line of the script where the exception arose: the innermost frame of the script itself
// (frames of the prelude and of host functions carry no line of the script). A frame of the
// trace reads "function:line:column:file". When the call stack overflowed, the innermost frame
// is a call that had not begun and carries no line yet: the frame that made it is taken.
int ScriptLine(const QJSValue& error, const QStringList& trace) {
    const bool overflow =
        error.isError() && error.toString().contains(QLatin1String("Maximum call stack size"));
    bool first = true;
    for (const QString& frame : trace) {
        const QStringList parts = frame.split(QLatin1Char(':'));
        const bool skip = std::exchange(first, false) && overflow;
        if (parts.size() < 4 || skip) continue;
        const QString file = parts.mid(3).join(QLatin1Char(':'));
        if (file.isEmpty() || file.endsWith(QLatin1String(kPreludeFile))) continue;
        const int line = parts[1].toInt();
        if (line > 0) return line;
    }
    return error.isError() ? error.property(QStringLiteral("lineNumber")).toInt() : 0;
}

}  // namespace

ScriptResult ScriptRunner::Run(std::string_view source, const std::string& fileName,
                               const std::vector<std::string>& args,
                               const std::function<void(std::string_view)>& print) {
    ScriptResult result = RunInEngine(source, fileName, args, print);
    // The engine is gone, and with it every script value of the root collections.
    context_.ReleaseRoots();
    return result;
}

ScriptResult ScriptRunner::RunInEngine(std::string_view source, const std::string& fileName,
                                       const std::vector<std::string>& args,
                                       const std::function<void(std::string_view)>& print) {
    ScriptResult result;
    ScriptGlobals globals(context_, print);
    QJSEngine engine;
    // gc(): runs the engine's collector.
    engine.installExtensions(QJSEngine::GarbageCollectionExtension);
    QJSEngine::setObjectOwnership(&globals, QJSEngine::CppOwnership);
    engine.globalObject().setProperty(QStringLiteral("__velmora"), engine.newQObject(&globals));
    const QJSValue prelude =
        engine.evaluate(QString::fromLatin1(kPrelude), QString::fromLatin1(kPreludeFile));
    if (prelude.isError()) {
        result.ok = false;
        result.error = automation::ToStdString(prelude.toString());
        return result;
    }
    QJSValue argv = engine.newArray(static_cast<uint>(args.size()));
    for (std::size_t i = 0; i < args.size(); ++i) {
        argv.setProperty(static_cast<quint32>(i), automation::ToQString(args[i]));
    }
    engine.globalObject().setProperty(QStringLiteral("args"), argv);

    QStringList trace;
    const QJSValue value =
        engine.evaluate(automation::ToQString(source), automation::ToQString(fileName), 1, &trace);
    if (value.isError() || !trace.isEmpty()) {
        result.ok = false;
        result.error = fileName + ":" + std::to_string(ScriptLine(value, trace)) + ": " +
                       automation::ToStdString(value.toString());
    }
    // Wrappers the script still holds go with the engine, before `globals`.
    return result;
}

}  // namespace velmora

#include "ScriptRunner.moc"
