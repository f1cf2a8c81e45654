#pragma once

#include "core/document/quotedata.h"
#include "core/quote/quoterequest.h"

#include <QJsonObject>

// A quote's inputs and the quote as handed out, as the register stores them: one JSON
// object each, every field by name. A value the request or the quote leaves unset is
// left out and reads back unset; a field missing from the object reads as the
// struct's default, so a quote kept by an older program still reads.
namespace QuoteJson {

QJsonObject fromRequest(const QuoteRequest& request);
QuoteRequest toRequest(const QJsonObject& object);

QJsonObject fromData(const QuoteData& data);
QuoteData toData(const QJsonObject& object);

QJsonObject fromCustomer(const QuoteData::Customer& customer);
QuoteData::Customer toCustomer(const QJsonObject& object);

} // namespace QuoteJson
