// The whole of the platform's print-system services: tickets, templates and print sessions.
#pragma once

#include <PrintCore/PMErrors.h>
#include <PrintCore/PMPrintSession.h>
#include <PrintCore/PMTemplate.h>
#include <PrintCore/PMTicket.h>
