// Templates: what the print system may put into a ticket. A template holds entries keyed by
// name; each entry has a value kind, a constraint (none, a range, a list of allowed values,
// or private: the entry's owner alone interprets it) and optionally a default value.
//
// A template is a platform object (CFRetain, CFRelease, CFEqual and CFShow work on it);
// its calls report misuse as a status. Every call may be made from any thread; each
// template guards its state with its own lock. Values and tickets handed out are borrowed
// from the template and stay valid for its lifetime.
#pragma once

#include <CoreFoundation/CFBase.h>
#include <PrintCore/PMErrors.h>
#include <PrintCore/PMTicket.h>

typedef struct __PMTemplate* PMTemplateRef;

// Value kinds of template entries.
typedef UInt32 PMValueType;
enum : PMValueType {
    kPMValueUndefined = 0,
    kPMValueBoolean = 1,
    kPMValueData = 2,
    kPMValueString = 3,
    kPMValueSInt32 = 4, // a number that is an exact 32-bit integer
    kPMValueDouble = 8, // any number
    kPMValuePMRect = 10,
    kPMValueDate = 11,
    kPMValueArray = 12,
    kPMValueDict = 13,
    kPMValueTicket = 14,
};

// Constraint kinds of template entries.
typedef UInt32 PMConstraintType;
enum : PMConstraintType {
    kPMConstraintUndefined = 0, // any value of the entry's kind
    kPMConstraintRange = 1,     // SInt32 and double entries: minimum <= value <= maximum
    kPMConstraintList = 2,      // one of a list of values (for ticket entries: a list ticket)
    kPMConstraintPrivate = 3,   // any value of the entry's kind; meaning private to its owner
};

CFTypeID PMTemplateGetTypeID(void);

// A new, empty template with one reference that the caller releases.
OSStatus PMTemplateCreate(PMTemplateRef* outTemplate);
// Adds or removes one reference. kPMInvalidTemplate when the reference is null or not a
// template.
OSStatus PMTemplateRetain(PMTemplateRef pmTemplate);
OSStatus PMTemplateRelease(PMTemplateRef pmTemplate);

// Makes an entry with no default and no constraint values, replacing an entry of the same
// key. kPMInvalidParameter for a null key, an unknown kind or constraint, or a range
// constraint on a kind other than SInt32 or double.
OSStatus PMTemplateMakeEntry(PMTemplateRef pmTemplate, CFStringRef key, PMValueType valueType,
                             PMConstraintType constraintType);
// Removes an entry. kPMItemNotFound when there is none.
OSStatus PMTemplateRemoveEntry(PMTemplateRef pmTemplate, CFStringRef key);
Boolean PMTemplateContainsEntry(PMTemplateRef pmTemplate, CFStringRef key);
// A new array (the caller releases it) of the entries' keys, sorted.
OSStatus PMTemplateCopyEntryKeys(PMTemplateRef pmTemplate, CFArrayRef* outKeys);
OSStatus PMTemplateGetValueType(PMTemplateRef pmTemplate, CFStringRef key,
                                PMValueType* outValueType);
OSStatus PMTemplateGetConstraintType(PMTemplateRef pmTemplate, CFStringRef key,
                                     PMConstraintType* outConstraintType);

// ---- Defaults ----
// Setting: kPMItemNotFound without an entry; kPMWrongValueKind when the value is not of the
// entry's kind (a default is not checked against the constraint: see
// PMTemplateValidateItem). Values are stored as immutable deep copies, tickets as copies.
// Getting: kPMItemNotFound without an entry or without a default; kPMWrongValueKind when
// asked for another kind than the entry's.
OSStatus PMTemplateSetDefaultValue(PMTemplateRef pmTemplate, CFStringRef key, CFTypeRef value);
OSStatus PMTemplateSetBooleanDefaultValue(PMTemplateRef pmTemplate, CFStringRef key, Boolean value);
OSStatus PMTemplateSetSInt32DefaultValue(PMTemplateRef pmTemplate, CFStringRef key, SInt32 value);
OSStatus PMTemplateSetDoubleDefaultValue(PMTemplateRef pmTemplate, CFStringRef key, double value);
OSStatus PMTemplateSetCFStringDefaultValue(PMTemplateRef pmTemplate, CFStringRef key,
                                           CFStringRef value);
OSStatus PMTemplateSetCFDataDefaultValue(PMTemplateRef pmTemplate, CFStringRef key,
                                         CFDataRef value);
OSStatus PMTemplateSetCFArrayDefaultValue(PMTemplateRef pmTemplate, CFStringRef key,
                                          CFArrayRef value);
OSStatus PMTemplateSetCFDictionaryDefaultValue(PMTemplateRef pmTemplate, CFStringRef key,
                                               CFDictionaryRef value);
OSStatus PMTemplateSetPMRectDefaultValue(PMTemplateRef pmTemplate, CFStringRef key,
                                         const PMRect* value);
OSStatus PMTemplateSetPMTicketDefaultValue(PMTemplateRef pmTemplate, CFStringRef key,
                                           PMTicketRef value);

// The default as stored: a property-list value, or a PMTicketRef for ticket entries.
OSStatus PMTemplateGetDefaultValue(PMTemplateRef pmTemplate, CFStringRef key, CFTypeRef* outValue);
OSStatus PMTemplateGetBooleanDefaultValue(PMTemplateRef pmTemplate, CFStringRef key,
                                          Boolean* outValue);
OSStatus PMTemplateGetSInt32DefaultValue(PMTemplateRef pmTemplate, CFStringRef key,
                                         SInt32* outValue);
OSStatus PMTemplateGetDoubleDefaultValue(PMTemplateRef pmTemplate, CFStringRef key,
                                         double* outValue);
OSStatus PMTemplateGetCFStringDefaultValue(PMTemplateRef pmTemplate, CFStringRef key,
                                           CFStringRef* outValue);
OSStatus PMTemplateGetCFDataDefaultValue(PMTemplateRef pmTemplate, CFStringRef key,
                                         CFDataRef* outValue);
OSStatus PMTemplateGetCFArrayDefaultValue(PMTemplateRef pmTemplate, CFStringRef key,
                                          CFArrayRef* outValue);
OSStatus PMTemplateGetCFDictionaryDefaultValue(PMTemplateRef pmTemplate, CFStringRef key,
                                               CFDictionaryRef* outValue);
OSStatus PMTemplateGetPMRectDefaultValue(PMTemplateRef pmTemplate, CFStringRef key,
                                         PMRect* outValue);
OSStatus PMTemplateGetPMTicketDefaultValue(PMTemplateRef pmTemplate, CFStringRef key,
                                           PMTicketRef* outValue);

// ---- Constraints ----
// Range constraints: kPMWrongValueKind when the entry's constraint is not a range or its
// kind is not the one named; kPMInvalidParameter when minimum > maximum (or NaN).
OSStatus PMTemplateSetSInt32RangeConstraint(PMTemplateRef pmTemplate, CFStringRef key,
                                            SInt32 minimum, SInt32 maximum);
OSStatus PMTemplateGetSInt32RangeConstraint(PMTemplateRef pmTemplate, CFStringRef key,
                                            SInt32* outMinimum, SInt32* outMaximum);
OSStatus PMTemplateSetDoubleRangeConstraint(PMTemplateRef pmTemplate, CFStringRef key,
                                            double minimum, double maximum);
OSStatus PMTemplateGetDoubleRangeConstraint(PMTemplateRef pmTemplate, CFStringRef key,
                                            double* outMinimum, double* outMaximum);
// List constraints of value entries: the array of allowed values, each of the entry's kind
// (kPMWrongValueKind otherwise, or when the entry's constraint is not a list or its kind
// is ticket).
OSStatus PMTemplateSetCFArrayConstraintValue(PMTemplateRef pmTemplate, CFStringRef key,
                                             CFArrayRef values);
OSStatus PMTemplateGetCFArrayConstraintValue(PMTemplateRef pmTemplate, CFStringRef key,
                                             CFArrayRef* outValues);
// List constraints of ticket entries: a list ticket whose nested tickets are the allowed
// values (stored as a copy; handed out borrowed).
OSStatus PMTemplateSetPMTicketListConstraint(PMTemplateRef pmTemplate, CFStringRef key,
                                             PMTicketRef listTicket);
OSStatus PMTemplateGetPMTicketListConstraint(PMTemplateRef pmTemplate, CFStringRef key,
                                             PMTicketRef* outListTicket);

// Whether a value (a property-list value, or a PMTicketRef for ticket entries) may be
// stored under the entry: it must be of the entry's kind and, for a range, lie within it,
// for a list, equal one of the list's values (CFEqual; for tickets, one of the list
// ticket's nested tickets). An entry whose range or list has not been set checks the kind
// only. kPMItemNotFound without an entry.
OSStatus PMTemplateValidateItem(PMTemplateRef pmTemplate, CFStringRef key, CFTypeRef value,
                                Boolean* outValid);

// ---- XML form (the form of a printer's Template.xml; see platform/printing/README.md) ----
// A new template made from an XML property list in the template form. kPMInvalidParameter
// for a null argument; kPMInvalidXML for data that does not parse or does not have the
// form (nothing is made then).
OSStatus PMTemplateLoadFromXML(CFDataRef xmlData, PMTemplateRef* outTemplate);
// New data (the caller releases it) holding the template in its XML form.
OSStatus PMTemplateCreateXML(PMTemplateRef pmTemplate, CFDataRef* outXMLData);
