// velmora-cli script resources/samples/summary.js [TICKER...]
// Prints every stock (or the named ones) with its last quotation and its change against the
// quotation before, then the advance/decline count of the last day over all printed stocks.
// It reads only, so the workspace stays as it was.

var app = createObject("Tarvik.Application");
print("Velmora automation " + app.Version + ", " + app.Stocks.Count + " stocks");

var chosen = args.length > 0 ? args.map(function (t) { return app.Stocks.Item(t); })
                              : app.Stocks._NewEnum;
// A quotation's Date is the day at local midnight.
function dayText(d) {
    function two(n) { return (n < 10 ? "0" : "") + n; }
    return d.getFullYear() + "-" + two(d.getMonth() + 1) + "-" + two(d.getDate());
}

var up = 0, down = 0;
for (var i = 0; i < chosen.length; i++) {
    var stock = chosen[i];
    if (stock === null) {
        print(args[i] + ": no such stock");
        continue;
    }
    var quotes = stock.Quotations;
    var n = quotes.Count;
    if (n === 0) {
        print(stock.Ticker + ": no quotations");
        continue;
    }
    var last = quotes.Item(n - 1);
    var line = stock.Ticker + "\t" + dayText(last.Date) + "\t" + last.Close;
    if (n > 1) {
        var before = quotes.Item(n - 2).Close;
        var change = before > 0 ? (last.Close / before - 1) * 100 : 0;
        line += "\t" + (change >= 0 ? "+" : "") + change.toFixed(2) + " %";
        if (change > 0) up++;
        if (change < 0) down++;
    }
    print(line + "\t" + stock.FullName);
}
print("advancing " + up + ", declining " + down);
