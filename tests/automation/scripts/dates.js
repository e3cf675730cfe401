//! tz Africa/Cairo Asia/Beirut America/Santiago UTC
// Each of these days has no local midnight in one of the zones above: every day still reads
// back as a valid Date on that day and finds its own record again.
var app = createObject("Tarvik.Application");
var quotes = app.Stocks.Item("ALDORA").Quotations;
var days = app.Markets.Item(1).ADQuotations;
function text(d) {
    return d.getFullYear() + "-" + (d.getMonth() + 1) + "-" + d.getDate();
}
for (const day of ["2024-04-26", "2024-03-31", "2024-09-08"]) {
    var bar = quotes.Add(day);
    var ad = days.Add(day);
    print(day, text(bar.Date), text(quotes.Add(bar.Date).Date), text(ad.Date),
          text(days.Item(ad.Date).Date));
}
