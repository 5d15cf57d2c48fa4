// The built ZephrinMap.clap in a session of the project's CLAP host, with
// the helpers the plug-in's tests share.
#pragma once

#include "map/clap/MapClapParams.h"
#include "map/engine/MapSettings.h"
#include "tools/claphost/ClapHost.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

class ClapFixture : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(m_library.Load(ZEPHRIN_MAP_CLAP_PATH, error)) << error;
        ASSERT_TRUE(m_session.Create("quillfen.zephrin-map", error)) << error;
        m_params = m_session.Get<clap_plugin_params_t>(CLAP_EXT_PARAMS);
        ASSERT_NE(m_params, nullptr);
    }

    bool Load(const MapSettings& settings, size_t chunk = 1u << 20) {
        uint8_t bytes[kMapMaxStreamBytes];
        const size_t size = EncodeMapSettings(settings, bytes);
        return m_session.LoadState(std::vector<uint8_t>(bytes, bytes + size), chunk);
    }
    std::vector<uint8_t> Saved() {
        std::vector<uint8_t> bytes;
        EXPECT_TRUE(m_session.SaveState(bytes));
        return bytes;
    }
    double Value(clap_id id) {
        double value = -1;
        EXPECT_TRUE(m_params->get_value(m_session.Plugin(), id, &value)) << id;
        return value;
    }
    // One process call of the events; what came out.
    const std::vector<ClapEvent>& Process(const std::vector<ClapEvent>& events,
                                          uint32_t frames = 256) {
        CClapInputEvents in;
        for (const ClapEvent& e : events) in.Add(e);
        m_out.Clear();
        m_session.Process(in, m_out, frames);
        return m_out.Events();
    }

    CClapLibrary m_library;
    CClapSession m_session{m_library};
    const clap_plugin_params_t* m_params = nullptr;
    CClapOutputEvents m_out;
};
