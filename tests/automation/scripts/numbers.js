// Numbers are checked against the member's type: long, short or float. A value outside the
// range or not a number is a script error naming the member, and the write changes nothing.
var app = createObject("Tarvik.Application");
var a = app.Stocks.Item("ALDORA");
function attempt(what, f) {
    try {
        f();
        print(what, "ok");
    } catch (e) {
        print(what, e.name + ":", e.message);
    }
}
attempt("2147483647", function () { a.Code = 2147483647; });
attempt("2147483647.5", function () { a.Code = 2147483647.5; });
attempt("-2147483648.5", function () { a.Code = -2147483648.5; });
attempt("4294967297", function () { a.Issue = 4294967297; });
attempt("1e20", function () { a.BookValue = 1e20; });
attempt("NaN", function () { a.IndustryID = NaN; });
attempt("-Infinity", function () { a.MarketID = -Infinity; });
attempt("text", function () { a.GroupID = "7"; });
print(a.Code, a.Issue, a.BookValue, a.IndustryID);
a.Code = 2.5;
print(a.Code);

attempt("quarter 4294967296", function () { a.FinanceYear(4294967296); });
attempt("quarter 4294967297", function () { a.SetFinanceIncome(4294967297, 77); });
attempt("quarter 32768", function () { a.SetFinanceEBT(32768, 1); });
attempt("quarter 3.4", function () { a.SetFinanceEAT(3.4, 9); });
print(a.FinanceIncome(1), a.FinanceEAT(3));

attempt("import type text", function () { app.Import("abc", "/nonexistent"); });
print(app.Import(2, "/nonexistent"), app.Import(-32768, "/nonexistent"));

var q = a.Quotations.Item(0);
attempt("close 3.5e38", function () { q.Close = 3.5e38; });
attempt("close NaN", function () { q.Close = NaN; });
attempt("volume 2147483648", function () { q.Volume = 2147483648; });
attempt("volume 2147483647.9", function () { q.Volume = 2147483647.9; });
attempt("nominal 21474837", function () { a.NominalValue = 21474837; });
print(q.Volume);
var d = app.Markets.Item(0).ADQuotations.Add("2024-01-02");
attempt("adv issues -2147483649", function () { d.AdvIssues = -2147483649; });
attempt("adv volume Infinity", function () { d.AdvVolume = Infinity; });
print(d.AdvIssues, d.AdvVolume);
