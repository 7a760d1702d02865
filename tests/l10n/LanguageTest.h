#pragma once

#include "l10n/AppLanguage.h"
#include "l10n/L.h"
#include "support/Sandbox.h"

#include <gtest/gtest.h>

// Private preferences, a forgotten language cache and an empty injected system list for every test, so
// that neither the developer's locale nor an earlier test decides which language a text comes out in.
class LanguageTest : public ::testing::Test {
  protected:
    void SetUp() override {
        L::resetLanguageCacheForTesting();
        setSystemLanguagesForTesting(QStringList{});
    }
    void TearDown() override {
        setSystemLanguagesForTesting(std::nullopt);
        L::resetLanguageCacheForTesting();
    }

    static const QList<AppLanguage> &concreteLanguages() {
        static const QList<AppLanguage> languages = allAppLanguages().mid(1);
        return languages;
    }

    Sandbox m_sandbox;
};
