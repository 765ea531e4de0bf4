#pragma once

#include <QString>

class Database;
class Settings;

// Chooses the cookie for a page that shows "<$WrenCookie>": at random, or the
// one after the cookie given out last (General/CookieSeq in the settings file,
// counted from 1 in ID order, wrapping after the last). An empty Cookie table
// gives "No cookies stored in database!".
QString PickCookie(const Database &db, Settings &settings, bool randomCookies);
