#pragma once

#include "l10n/AppLanguage.h"

#include <QString>

// The string table: every text the user sees, in the current interface language.
class L {
public:
    // The cached language: read once from the "appLanguage" preference, then set by the store.
    static AppLanguage language();
    static void setLanguage(AppLanguage language);
    // The language texts are picked in now (`system` resolved through fromSystem()).
    static AppLanguage resolvedLanguage();

    static QString listFolders();
    static QString folderDocuments();
    static QString folderMusic();
    static QString folderMovies();
    static QString defaultGroupName();
};
