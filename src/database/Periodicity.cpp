#include "database/Periodicity.h"

#include <algorithm>
#include <cstdint>

#include "platform/Saturate.h"

namespace velmora {

namespace {

std::int32_t SaturatedSum(std::int32_t a, std::int32_t b) {
    return ClampToInt32(std::int64_t{a} + b);
}

}  // namespace

std::optional<Periodicity> ParsePeriodicity(std::string_view text) {
    if (text == "daily") return Periodicity::Daily;
    if (text == "weekly") return Periodicity::Weekly;
    if (text == "monthly") return Periodicity::Monthly;
    return std::nullopt;
}

std::unique_ptr<Stock> CompressQuotations(const Stock& stock, Periodicity periodicity) {
    auto copy = std::make_unique<Stock>(stock);
    copy->Modified = false;
    if (periodicity == Periodicity::Daily) return copy;
    SetContinuous(*copy, true);
    copy->Quotations.clear();
    PackedDate periodEnd = kNoDate;  // before every date
    for (const Quotation& day : stock.Quotations) {
        if (copy->Quotations.empty() || day.Date > periodEnd) {
            periodEnd = periodicity == Periodicity::Weekly ? WeekEnd(day.Date) : MonthEnd(day.Date);
            Quotation bar;
            bar.Date = day.Date;
            bar.Open = day.Open;
            bar.High = day.High;
            bar.Low = day.Low;
            bar.Close = day.Close;
            bar.Volume = day.Volume;
            bar.OpenInt = day.OpenInt;
            copy->Quotations.push_back(bar);
            continue;
        }
        Quotation& bar = copy->Quotations.back();
        bar.Close = day.Close;
        bar.High = std::max(bar.High, day.High);
        bar.Low = std::min(bar.Low, day.Low);
        bar.Volume = SaturatedSum(bar.Volume, day.Volume);
        bar.OpenInt = SaturatedSum(bar.OpenInt, day.OpenInt);
    }
    return copy;
}

}  // namespace velmora
