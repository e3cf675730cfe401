// functions and check: the reference of the QRX functions, and the formula checker.

#include "cli/Cli.h"
#include "formula/FormulaChecker.h"
#include "formula/FunctionHelp.h"
#include "platform/FileUtil.h"

namespace velmora::cli {

namespace {

// Prints each error as "NAME:LINE:COLUMN: message"; true when there was none.
bool PrintDiagnostics(Context& ctx, const std::string& name, std::string_view text) {
    const std::vector<FormulaDiagnostic> errors = CheckFormula(text);
    for (const FormulaDiagnostic& e : errors) {
        std::fprintf(ctx.out, "%s:%d:%d: %s\n", name.c_str(), e.line, e.column, e.message.c_str());
    }
    return errors.empty();
}

}  // namespace

int RunFunctions(Context& ctx, std::vector<std::string>& args) {
    bool markdown = false;
    const TakenOptions taken = TakeOptions(args, {{"--markdown", &markdown}});
    (void)taken;  // a flag is never missing
    if (args.size() > 1 || (markdown && !args.empty())) {
        ctx.Error("functions: expected [NAME] or --markdown");
        return kUsage;
    }
    if (markdown) {
        std::fputs(FunctionReferenceMarkdown().c_str(), ctx.out);
        return kSuccess;
    }
    if (args.empty()) {
        for (const FunctionHelp& help : FunctionHelpTable())
            std::fprintf(ctx.out, "%s\n", FunctionLine(help).c_str());
        return kSuccess;
    }
    const FunctionHelp* help = FindFunctionHelp(args[0]);
    if (help == nullptr) {
        ctx.Error("no function '" + args[0] + "'");
        return kFailure;
    }
    std::fputs(FunctionEntry(*help).c_str(), ctx.out);
    return kSuccess;
}

int RunCheck(Context& ctx, std::vector<std::string>& args) {
    std::optional<std::string> formula;
    const TakenOptions taken = TakeOptions(args, {{"--formula", &formula}});
    if (taken.AnyMissing() || formula.has_value() == !args.empty()) {
        ctx.Error("check: expected FILE... or --formula TEXT");
        return kUsage;
    }
    if (formula) return PrintDiagnostics(ctx, "formula", *formula) ? kSuccess : kFailure;
    bool clean = true;
    for (const std::string& file : args) {
        const Result<std::string> text = ReadTextFile(file, FileKind::Formula);
        if (!text) {
            ctx.Error(text.GetStatus().ToString());
            clean = false;
            continue;
        }
        clean = PrintDiagnostics(ctx, file, *text) && clean;
    }
    return clean ? kSuccess : kFailure;
}

}  // namespace velmora::cli
