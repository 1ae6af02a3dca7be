#pragma once
// Moved to core/report/report_rtf.h.
#include "core/chart/chart_record.h"
#include "core/report/report_rtf.h"
