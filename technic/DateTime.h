#pragma once
#include <ctime>
#include <string>

// The current local date and time. Format id 1: "MM/DD/YYYY hh:mm:ss"; any other id:
// "YYYY-MM-DD hh:mm:ss".
std::string formatDateTime(int formatId);
// The same for a given broken-down local time.
std::string formatDateTime(int formatId, const std::tm& time);
