#pragma once

#include <QString>

class CCipherBlock;

// The text of `list` for the box an engine has just read.
class BoxListing
{
public:
    static QString format(const CCipherBlock &engine);
};
