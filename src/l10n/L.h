#pragma once

#include "l10n/AppLanguage.h"

#include <QString>

// Every plain text of the string table, in table order. The accessors of L, the row enumeration in L.cpp
// and the tests are all generated from this one list, so a key cannot exist in one place and not another.
#define ILVEX_L_PLAIN_TEXTS(X)                                                                               \
    X(name)                                                                                                  \
    X(automatic)                                                                                             \
    X(languageLabel)                                                                                         \
    X(cancel)                                                                                                \
    X(add)                                                                                                   \
    X(aboutIlvex)                                                                                            \
    X(checkForUpdates)                                                                                       \
    X(sendFeedback)                                                                                          \
    X(settings)                                                                                              \
    X(quit)                                                                                                  \
    X(checkAutomatically)                                                                                    \
    X(upToDate)                                                                                              \
    X(byMarrowby)                                                                                            \
    X(open)                                                                                                  \
    X(renameEllipsis)                                                                                        \
    X(groupColor)                                                                                            \
    X(folderColor)                                                                                           \
    X(moveTo)                                                                                                \
    X(removeFromLauncher)                                                                                    \
    X(renameGroup)                                                                                           \
    X(themeColor)                                                                                            \
    X(defaultColor)                                                                                          \
    X(defaultGroupName)                                                                                      \
    X(nameNewGroup)                                                                                          \
    X(back)                                                                                                  \
    X(emptyGroup)                                                                                            \
    X(emptyRing)                                                                                             \
    X(colorEllipsis)                                                                                         \
    X(deleteList)                                                                                            \
    X(deleteListEmptyFirst)                                                                                  \
    X(renameList)                                                                                            \
    X(addAndManage)                                                                                          \
    X(kindFolder)                                                                                            \
    X(kindFile)                                                                                              \
    X(kindLink)                                                                                              \
    X(kindSub)                                                                                               \
    X(subListsCantBeNested)                                                                                  \
    X(closesColorPicker)                                                                                     \
    X(opensColorPicker)                                                                                      \
    X(newList)                                                                                               \
    X(deleteCurrentList)                                                                                     \
    X(emptyListBeforeDeleting)                                                                               \
    X(nameOptional)                                                                                          \
    X(groupName)                                                                                             \
    X(listName)                                                                                              \
    X(general)                                                                                               \
    X(showInMenuBar)                                                                                         \
    X(hideDockIcon)                                                                                          \
    X(openAtLogin)                                                                                           \
    X(hotCorner)                                                                                             \
    X(shortcut)                                                                                              \
    X(launcherSounds)                                                                                        \
    X(launcherSize)                                                                                          \
    X(saved)                                                                                                 \
    X(saveOrder)                                                                                             \
    X(restore)                                                                                               \
    X(noSavedOrder)                                                                                          \
    X(backup)                                                                                                \
    X(exportListsEllipsis)                                                                                   \
    X(importListsEllipsis)                                                                                   \
    X(importLists)                                                                                           \
    X(importFailed)                                                                                          \
    X(importFailedMessage)                                                                                   \
    X(replaceAllLists)                                                                                       \
    X(addToMyLists)                                                                                          \
    X(exportPanelTitle)                                                                                      \
    X(importPanelTitle)                                                                                      \
    X(importPrompt)                                                                                          \
    X(listFolders)                                                                                           \
    X(folderDocuments)                                                                                       \
    X(folderMusic)                                                                                           \
    X(folderMovies)                                                                                          \
    X(folderDownloads)                                                                                       \
    X(folderPictures)                                                                                        \
    X(folderHome)                                                                                            \
    X(noTrayHost)                                                                                            \
    X(showSiteIcons)                                                                                         \
    X(updateAvailable)                                                                                       \
    X(download)                                                                                              \
    X(updateCheckFailed)                                                                                     \
    X(updateCheckFailedMessage)                                                                              \
    X(updatesNotConfigured)                                                                                  \
    X(exportFailed)                                                                                          \
    X(exportFailedMessage)                                                                                   \
    X(changesNotSaved)                                                                                       \
    X(changesNotSavedMessage)                                                                                \
    X(importNotWrittenMessage)                                                                               \
    X(listFull)                                                                                              \
    X(kindApplication)                                                                                       \
    X(kindGroup)                                                                                             \
    X(keysHeading)                                                                                           \
    X(keySelect)                                                                                             \
    X(keyFirstLast)                                                                                          \
    X(keyOpen)                                                                                               \
    X(keySlot)                                                                                               \
    X(keyFind)                                                                                               \
    X(keyBackspace)                                                                                          \
    X(keyEscape)                                                                                             \
    X(keyLists)                                                                                              \
    X(keyTab)                                                                                                \
    X(keyMenu)                                                                                               \
    X(searchApplications)                                                                                    \
    X(close)

// The string table: every text the user sees, in the current interface language. Texts are part of the
// program (no catalogues); each accessor picks its language anew on every call, so a change of the
// language, or of the system's language while `system` is chosen, shows at the next repaint.
class L {
  public:
    // The cached language: `system` until the store seeds it from the "appLanguage" preference, then
    // set by the store on every change.
    static AppLanguage language();
    static void setLanguage(AppLanguage language);
    // Sets the cached language only when nothing has set it yet.
    static void seedLanguage(AppLanguage language);
    // The language texts are picked in now (`system` resolved through fromSystem()).
    static AppLanguage resolvedLanguage();
    // Forgets the cached language so that the next seed takes effect. For tests only.
    static void resetLanguageCacheForTesting();

#define ILVEX_L_DECLARE_TEXT(key) static QString key();
    ILVEX_L_PLAIN_TEXTS(ILVEX_L_DECLARE_TEXT)
#undef ILVEX_L_DECLARE_TEXT

    // Parameterised texts. Arguments are inserted exactly as given; numbers in plain decimal digits.
    static QString addTo(const QString &name);
    static QString addToGroup(const QString &name);
    static QString listColor(const QString &name);
    static QString maxLists(int n);
    static QString restoreItems(int n);
    static QString version(const QString &version, const QString &build);
    static QString latestVersionMessage(const QString &version);
    static QString updateAvailableMessage(const QString &newVersion, const QString &currentVersion);
    // Where a link's host name goes to fetch its icon (host: the favicon service's), and the switch.
    static QString siteIconsPrivacy(const QString &host);
    // An entry's place on the ring for a screen reader: "3 of 8".
    static QString positionOf(int n, int count);
    // The question asked before an import: what the file holds, and what Replace and Add would do.
    static QString importChoice(int incoming, int have, int max, int room);
    // The English name of a theme or tint colour in the interface language; unknown names unchanged.
    static QString colorName(const QString &name);
};
