#pragma once

#include <model/configuration.h>
#include <storage/imagebuilder.h>

// The image of a start-up configuration with one zone named.
inline QByteArray imageWithZoneName(int zone, const QString &name)
{
    Configuration config;
    config.mtArea().locate(QStringLiteral("id"), zone);
    config.mtArea().setValue(QStringLiteral("name"), name);
    ImageBuilder::build(config);
    return config.image().Bytes();
}
