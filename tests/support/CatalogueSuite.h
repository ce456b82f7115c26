#pragma once

#include "engine/Globals.h"
#include "levels/LevelModel.h"

// Adds the level catalogue to a fixture. Building it lays all 76 knots, so
// each test suite builds one and shares it; SetUp puts the cursor back at
// level 0 of a new game and installs the catalogue in the engine globals
// (after Base's SetUp, which saves them). A test that changes a record puts
// it back itself.
template <class Base> class CatalogueSuite : public Base {
protected:
    using Base::Base;

    static void SetUpTestSuite() {
        Base::SetUpTestSuite();
        catalogue = new ZQ::LevelModel();
    }
    static void TearDownTestSuite() {
        delete catalogue;
        catalogue = nullptr;
        Base::TearDownTestSuite();
    }

    void SetUp() override {
        Base::SetUp();
        catalogue->setUp();
        ZQ::gGlobals.levelModel = catalogue;
    }

    static inline ZQ::LevelModel* catalogue = nullptr;
};
