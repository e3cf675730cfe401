#include "automation/ScriptRunner.h"

#include <QJSEngine>
#include <QStringList>

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
        return automation::Owned(new AApplication(context_));
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

ScriptResult ScriptRunner::Run(std::string_view source, const std::string& fileName,
                               const std::vector<std::string>& args,
                               const std::function<void(std::string_view)>& print) {
    ScriptResult result;
    ScriptGlobals globals(context_, print);
    QJSEngine engine;
    QJSEngine::setObjectOwnership(&globals, QJSEngine::CppOwnership);
    engine.globalObject().setProperty(QStringLiteral("__velmora"), engine.newQObject(&globals));
    const QJSValue prelude = engine.evaluate(QString::fromLatin1(kPrelude));
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
        int line = value.isError() ? value.property(QStringLiteral("lineNumber")).toInt() : 0;
        if (line <= 0 && !trace.isEmpty()) {
            // A frame reads "function:line:column:file".
            const QStringList parts = trace.front().split(QLatin1Char(':'));
            if (parts.size() >= 2) line = parts[1].toInt();
        }
        result.error = fileName + ":" + std::to_string(line) + ": " +
                       automation::ToStdString(value.toString());
    }
    // Wrappers the script still holds go with the engine, before `globals`.
    return result;
}

}  // namespace velmora

#include "ScriptRunner.moc"
