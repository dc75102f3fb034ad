#include "setting_layers.h"

SettingLayer DecidingLayer(unsigned held, ProductRoots roots) {
    // Strongest first.
    static const SettingLayer kOrder[] = {SettingLayer::MachinePolicy, SettingLayer::UserPolicy,
                                          SettingLayer::UserProduct, SettingLayer::MachineProduct};
    for (SettingLayer layer : kOrder) {
        const bool machine =
            layer == SettingLayer::MachinePolicy || layer == SettingLayer::MachineProduct;
        if (machine && roots == ProductRoots::PerUser)
            continue;
        if (held & LayerBit(layer))
            return layer;
    }
    return SettingLayer::None;
}
