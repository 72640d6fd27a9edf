// Stand-in for the stored block until the settings-record library joins this
// branch; it is the same one zero-initialised instance.
#include "portcfg.h"

tagPORT_CFG_DATA &PortCfgData()
{
    static tagPORT_CFG_DATA block{};
    return block;
}
