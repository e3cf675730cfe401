// Two tickers with one file name, and a name ending like a set-aside file: refused, so no save
// can delete another stock's file.
var app = createObject("Tarvik.Application");
var stocks = app.Stocks;
var ab = stocks.Add("A_B");
ab.FullName = "kept";
print(stocks.Add("a/b"), stocks.Remove("A/B"), stocks.Count);
var aldora = stocks.Item("ALDORA");
aldora.Ticker = "ALDORA.zzz";
aldora.Ticker = "A<B";
print(aldora.Ticker, aldora.Quotations.Count, stocks.Add("NEW.ZZZ"), stocks.Item("A_B").FullName);
aldora.Ticker = "ALDORA.ZZ";
print(aldora.Ticker, stocks.Count);
