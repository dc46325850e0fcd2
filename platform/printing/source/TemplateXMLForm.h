// The template's XML form as a property-list tree (documented in
// platform/printing/README.md), and the checks that values fit an entry.
#pragma once

#include "PMTemplateObject.h"

namespace orvo_pm {

// Whether the constraint kind exists and suits the value kind (a range only for SInt32 and
// double entries).
bool IsValidConstraint(PMValueType inKind, PMConstraintType inConstraint);
// Whether a value may be the entry's default: a value of its kind.
bool AcceptsDefault(const __PMTemplate::Entry& inEntry, CFTypeRef inValue);
// Whether a value may be the entry's constraint value: for a range, two values of the kind,
// minimum <= maximum; for a list, an array of values of the kind, or a ticket for ticket
// entries. Other constraints take no value.
bool AcceptsConstraint(const __PMTemplate::Entry& inEntry, CFTypeRef inValue);

// A new dictionary holding the template in its XML form.
CFDictionaryRef CreateTemplateTree(const __PMTemplate& inTemplate);
// A new template made from an immutable tree in the XML form, or null when the tree does
// not have the form.
__PMTemplate* CreateTemplateFromTree(CFTypeRef inTree);

} // namespace orvo_pm
