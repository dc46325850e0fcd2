// The ticket's XML form as a property-list tree (documented in platform/printing/README.md).
#pragma once

#include "PMTicketObject.h"

namespace orvo_pm {

// A new dictionary holding the ticket in its XML form.
CFDictionaryRef CreateTicketTree(const __PMTicket& inTicket);
// A new ticket made from a tree in the XML form, or null when the tree does not have the
// form. The tree must be immutable: its item dictionaries are kept as they are.
__PMTicket* CreateTicketFromTree(CFTypeRef inTree);

} // namespace orvo_pm
