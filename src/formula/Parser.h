#pragma once
// The QRX parser: reads the whole text through the scanner and evaluates it while parsing, one
// grammar action per reduction, calling the evaluator's operations. Errors are reported through
// the evaluator; after one the parser skips to the next ";" and goes on with the next statement.

namespace velmora {

class Evaluator;
class Scanner;

// The depths of the parser's state stack: it starts with room for kInitialDepth states and
// doubles up to kMaxDepth, where parsing stops with "parser stack overflow".
inline constexpr int kParserInitialDepth = 200;
inline constexpr int kParserMaxDepth = 10000;

void ParseFormula(Evaluator& eval, Scanner& scanner);

}  // namespace velmora
