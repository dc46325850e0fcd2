// The value kinds that tickets and templates tell apart, and the rectangle's stored form.
#pragma once

#include <PrintCore/PMTemplate.h>
#include <PrintCore/PMTicket.h>

namespace orvo_pm {

// Whether the value kind is one that template entries may have.
bool IsKnownValueType(PMValueType inKind);
// Whether a value belongs to a kind: Boolean, data, string, date, array and dictionary by
// type; an SInt32 is a number that converts exactly; a double any number; a rectangle an
// array of exactly four numbers; a ticket a PMTicketRef.
bool IsValueOfKind(CFTypeRef inValue, PMValueType inKind);

// The number as an exact 32-bit integer; false when it is not a number or not exact.
bool GetSInt32(CFTypeRef inValue, SInt32& outValue);
// The number as a double; false when it is not a number.
bool GetDouble(CFTypeRef inValue, double& outValue);
// The rectangle held as an array of four numbers; false for any other value.
bool GetRect(CFTypeRef inValue, PMRect& outRect);

// New values (the caller releases them).
CFTypeRef CreateSInt32Value(SInt32 inValue);
CFTypeRef CreateDoubleValue(double inValue);
// An array of four reals: top, left, bottom, right.
CFTypeRef CreateRectValue(const PMRect& inRect);

} // namespace orvo_pm
