#pragma once

#include <report/reportcontent.h>

// The report as an HTML page in UTF-8, with a stylesheet for the screen and for print
// (A4, a table's title row repeated on every page).
QString reportHtml(const ReportContent &content);
