#include "Platform/BundleInfo.h"

// The build defines these for this file alone, so changing them rebuilds
// nothing else.
BundleInfo BundleInfo::main()
{
    return BundleInfo{QStringLiteral(QUIB_UPDATE_FEED_URL), QStringLiteral(QUIB_UPDATE_PUBLIC_KEY), QStringLiteral(QUIB_VERSION),
                      QStringLiteral(QUIB_VERSION)};
}
