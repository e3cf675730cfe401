/* The QRX grammar. Each reduction evaluates at once through the Evaluator; there is no
   syntax tree. An action that yields no value (an error already reported) enters the same
   recovery as a syntax error, without a second report: the parser pops back to the statement
   level, discards tokens up to the next ";" and continues with the next statement. */

%define api.pure full
%define api.prefix {qrx}
%define parse.error simple
%define api.value.type {velmora::QrxSemanticValue}
%locations
%parse-param {velmora::QrxParseState& state}
%lex-param {velmora::QrxParseState& state}

%code requires {
#include "formula/Evaluator.h"
#include "formula/Parser.h"
#include "formula/Scanner.h"

namespace velmora {

struct QrxSemanticValue {
    Value value;
    Symbol* symbol;
    ArgList* args;
};

struct QrxParseState {
    Evaluator& eval;
    Scanner& scanner;
};

}  // namespace velmora

/* Locations are the bytes of the text that a token or a rule covers, where an error is marked:
   Bison's own location type carries them as first_column (the first byte) and last_column (the
   byte after the last); its lines are not used. A rule covers its first to its last symbol, an
   empty rule sits where the previous one ended. */
#define YYLLOC_DEFAULT(Current, Rhs, N)                                          \
    do {                                                                         \
        (Current).first_line = (Current).last_line = 1;                          \
        if (N) {                                                                 \
            (Current).first_column = YYRHSLOC(Rhs, 1).first_column;              \
            (Current).last_column = YYRHSLOC(Rhs, N).last_column;                \
        } else {                                                                 \
            (Current).first_column = (Current).last_column =                     \
                YYRHSLOC(Rhs, 0).last_column;                                    \
        }                                                                        \
    } while (0)
#define QRXLTYPE_IS_TRIVIAL 1
#define YYLTYPE_IS_TRIVIAL 1

/* The semantic values are plain data: the stacks may be moved with memcpy when they grow. */
#define QRXSTYPE_IS_TRIVIAL 1
#define YYSTYPE_IS_TRIVIAL 1
#define YYINITDEPTH (velmora::kParserInitialDepth)
#define YYMAXDEPTH (velmora::kParserMaxDepth)
}

%code {
#include <algorithm>
#include <limits>

namespace {

int qrxlex(QRXSTYPE* lval, QRXLTYPE* lloc, velmora::QrxParseState& state);
void qrxerror(QRXLTYPE* lloc, velmora::QrxParseState& state, const char* message);

// Where the reports of the operation about to run lie.
void Mark(velmora::QrxParseState& state, const QRXLTYPE& where) {
    state.eval.MarkErrorsAt({static_cast<std::size_t>(where.first_column),
                             static_cast<std::size_t>(where.last_column)});
}

}  // namespace

/* Evaluates an operation whose errors are marked at `where`. */
#define EVAL(target, where, expression)      \
    do {                                     \
        Mark(state, where);                  \
        (target) = (expression);             \
        if ((target).IsNone()) YYERROR;      \
    } while (0)
}

%token NUMBER STRING IDENT MATHFUNC FUNC
%token AND OR NOT EQ NE GE LE

%precedence '='
%left OR
%left AND
%precedence NOT
%left EQ NE
%left '<' '>' LE GE
%left '+' '-'
%left '*' '/'
%precedence NEG
%right '^'

%%

program
    : %empty
    | program statement
    ;

statement
    : ';'
    | expr ';'                  { Mark(state, @1); state.eval.WriteStatement($1.value); state.eval.EndStatement(); }
    | error ';'                 { yyerrok; state.eval.EndStatement(); }
    ;

args
    : %empty                    { $$.args = state.eval.EmptyArgs(); }
    | expr                      { $$.args = state.eval.ArgsOf($1.value); }
    | args ',' expr             { $$.args = state.eval.AddArg($1.args, $3.value); }
    ;

expr
    : NUMBER                    { $$.value = $1.value; }
    | STRING                    { $$.value = $1.value; }
    | IDENT {
          if ($1.symbol->state == velmora::SymbolState::Unassigned) {
              // The lookahead may already be a character outside the language (as in
              // "my_var"): that character is the first fault, so it is the one reported.
              const bool stray = yychar != QRXEMPTY && YYTRANSLATE(yychar) == YYSYMBOL_YYUNDEF;
              Mark(state, stray ? yylloc : @1);
              state.eval.ReportFormulaError(stray ? "Syntax error" : "Unknown identifier");
              YYERROR;
          }
          $$.value = $1.symbol->value;
      }
    | IDENT '=' expr            { Mark(state, @$); $$.value = state.eval.Assign(*$1.symbol, $3.value); }
    | expr '+' expr             { EVAL($$.value, @$, state.eval.BinaryOp($1.value, $3.value, velmora::BinaryOperator::Add)); }
    | expr '-' expr             { EVAL($$.value, @$, state.eval.BinaryOp($1.value, $3.value, velmora::BinaryOperator::Sub)); }
    | expr '*' expr             { EVAL($$.value, @$, state.eval.BinaryOp($1.value, $3.value, velmora::BinaryOperator::Mul)); }
    | expr '/' expr             { EVAL($$.value, @$, state.eval.BinaryOp($1.value, $3.value, velmora::BinaryOperator::Div)); }
    | expr '>' expr             { EVAL($$.value, @$, state.eval.BinaryOp($1.value, $3.value, velmora::BinaryOperator::Gt)); }
    | expr '<' expr             { EVAL($$.value, @$, state.eval.BinaryOp($1.value, $3.value, velmora::BinaryOperator::Lt)); }
    | expr AND expr             { EVAL($$.value, @$, state.eval.BinaryOp($1.value, $3.value, velmora::BinaryOperator::And)); }
    | expr OR expr              { EVAL($$.value, @$, state.eval.BinaryOp($1.value, $3.value, velmora::BinaryOperator::Or)); }
    | expr NE expr              { EVAL($$.value, @$, state.eval.BinaryOp($1.value, $3.value, velmora::BinaryOperator::Ne)); }
    | expr EQ expr              { EVAL($$.value, @$, state.eval.BinaryOp($1.value, $3.value, velmora::BinaryOperator::Eq)); }
    | expr GE expr              { EVAL($$.value, @$, state.eval.BinaryOp($1.value, $3.value, velmora::BinaryOperator::Ge)); }
    | expr LE expr              { EVAL($$.value, @$, state.eval.BinaryOp($1.value, $3.value, velmora::BinaryOperator::Le)); }
    | '-' expr %prec NEG        { EVAL($$.value, @$, state.eval.Negate($2.value)); }
    | NOT expr                  { EVAL($$.value, @$, state.eval.LogicalNot($2.value)); }
    | expr '^' expr             { EVAL($$.value, @$, state.eval.BinaryOp($1.value, $3.value, velmora::BinaryOperator::Pow)); }
    | '(' expr ')'              { $$.value = $2.value; }
    | MATHFUNC '(' expr ')'     { EVAL($$.value, @$, state.eval.ApplyMath($3.value, $1.symbol->math)); }
    | FUNC '(' args ')'         { EVAL($$.value, @$, state.eval.CallBuiltin(*$1.symbol, $3.args)); }
    ;

%%

namespace {

int qrxlex(QRXSTYPE* lval, QRXLTYPE* lloc, velmora::QrxParseState& state) {
    using velmora::TokenKind;
    *lval = QRXSTYPE{};
    velmora::Token token = state.scanner.Next();
    // Offsets beyond what an int holds are kept at its largest value.
    const auto offset = [](std::size_t at) {
        return static_cast<int>(std::min<std::size_t>(at, std::numeric_limits<int>::max()));
    };
    *lloc = {1, offset(token.begin), 1, offset(token.end)};
    Mark(state, *lloc);
    switch (token.kind) {
        case TokenKind::End: return 0;
        case TokenKind::Number:
            lval->value = velmora::Value::Number(token.number);
            return NUMBER;
        case TokenKind::String: {
            lval->value = velmora::Value::String(state.eval.NewString(token.text));
            // Without memory for the text the string reads as nothing the grammar accepts.
            return lval->value.text != nullptr ? static_cast<int>(STRING) : '$';
        }
        case TokenKind::Identifier: {
            velmora::SymbolTable& symbols = state.eval.Symbols();
            velmora::Symbol* symbol = symbols.FindSymbol(token.text);
            if (symbol == nullptr) symbol = symbols.AddSymbol(token.text, velmora::SymbolKind::Ident);
            lval->symbol = symbol;
            switch (symbol->kind) {
                case velmora::SymbolKind::MathFunc: return MATHFUNC;
                case velmora::SymbolKind::Func: return FUNC;
                case velmora::SymbolKind::Ident: break;
            }
            return IDENT;
        }
        case TokenKind::And: return AND;
        case TokenKind::Or: return OR;
        case TokenKind::Not: return NOT;
        case TokenKind::Eq: return EQ;
        case TokenKind::Ne: return NE;
        case TokenKind::Ge: return GE;
        case TokenKind::Le: return LE;
        case TokenKind::Char: return token.ch;
    }
    return 0;
}

void qrxerror(QRXLTYPE* lloc, velmora::QrxParseState& state, const char* message) {
    // The token the parser could not accept (the lookahead) is where the error is.
    Mark(state, *lloc);
    // The parser's two messages: a token it cannot accept, and a full state stack.
    const bool exhausted = std::string_view(message) == "memory exhausted";
    state.eval.ReportFormulaError(exhausted ? "parser stack overflow" : "Syntax error");
}

}  // namespace

namespace velmora {

void ParseFormula(Evaluator& eval, Scanner& scanner) {
    QrxParseState state{eval, scanner};
    qrxparse(state);
}

}  // namespace velmora
