#include "reports/reporterfanout.h"

void ReporterFanOut::add(std::unique_ptr<Reporter> reporter) { m_reporters.push_back(std::move(reporter)); }
