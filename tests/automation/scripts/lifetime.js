// Objects the application hands out stay valid while the script can reach them: the root
// collections for the whole run, other wrappers while referenced, whatever the collector does.
var app = createObject("Tarvik.Application");
var held = app.Stocks.Item("ALDORA").Quotations.Item(0);
var sum = 0, lost = -1;
for (var i = 0; i < 20000 && lost < 0; ++i) {
    if (app.Stocks === null || app.Markets === null || app.Documents === null) lost = i;
    else sum += app.Stocks.Item(0).Quotations.Item(0).Close;
    if (i % 500 === 0) gc();
}
print("lost at", lost, "sum", sum.toFixed(2), "held", held.Close);
var s = app.Stocks;
s = null;
gc();
print(app.Stocks.Count, app.Markets.Count, app.Documents.Count);
