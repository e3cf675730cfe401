// A wrapper of a removed item reads empty values and ignores writes, even when a new item
// takes the old one's place.
var app = createObject("Tarvik.Application");
var stocks = app.Stocks;
var h = stocks.Item("HALVIK");
print(stocks.Remove("HALVIK"));
var n = stocks.Add("NEWONE");
h.Code = 5;
h.FullName = "taken over";
print(JSON.stringify(h.Ticker), h.Code, h.Quotations, n.Ticker, n.Code, JSON.stringify(n.FullName));

var q = stocks.Item("ALDORA").Quotations;
var bar = q.Item("24-12-31");
print(bar.Close, q.Remove("24-12-31"), bar.Close);
var again = q.Add("2024-12-31");
bar.Close = 77;
print(bar.Close, again.Close, q.Item("24-12-31").Close);

var days = app.Markets.Item(3).ADQuotations;
var day = days.Add("2024-06-03");
day.AdvIssues = 12;
print(day.AdvIssues, days.Remove("2024-06-03"), day.AdvIssues);
var newDay = days.Add("2024-06-03");
day.AdvIssues = 40;
print(day.AdvIssues, newDay.AdvIssues, days.Count);
