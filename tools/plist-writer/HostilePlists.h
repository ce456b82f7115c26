#pragma once

#include <string>

// Binary property lists made as an attacker would make them, to be dropped
// into a data folder in place of a store: each is a few hundred bytes or
// less and a well-formed list in every other respect.
namespace HostilePlists {

// A dictionary of a game mode and a flag whose second key holds a NUL
// between its letters (UTF-16, as the key of a text in another script is
// written).
std::string nulInKey();

// A dictionary whose one value is an array of `fanout` references to one
// array of `fanout` references, and so on `levels` deep, ending in one
// integer: fanout^levels values once every reference is followed, from
// about levels x (fanout + 2) bytes. The defaults make 4^15, a little over
// a billion, at a nesting of 16.
std::string sharedExpansion(int levels = 15, int fanout = 4);

} // namespace HostilePlists
