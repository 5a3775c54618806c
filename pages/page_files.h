// The page elements of "skin.xml" and the page files the page factory builds them from: the
// eight named pages, and "N.xml" for any other element name N.
#pragma once

#include <string>

std::string PageFileForElement(const std::string& element);
