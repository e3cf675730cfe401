// A script error is reported at the script's own line.
var app = createObject("Tarvik.Application");
print(app.Stocks.Count);


createObject("Nope");
