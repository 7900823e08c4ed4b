#include "support/samples.h"

namespace {

std::string FromU8(const char8_t *text) { return reinterpret_cast<const char *>(text); }

} // namespace

std::string GbkSample() {
  return "# 服务器插件配置文件\r\n"
         "欢迎使用本插件，请根据需要修改下面的设置。\r\n"
         "消息前缀: \"[系统] \"\r\n"
         "玩家加入服务器时显示的欢迎信息，支持颜色代码。\r\n"
         "enabled: true\r\n";
}

std::string Utf8Sample() {
  return FromU8(u8"# 服务器插件配置文件\r\n"
                u8"欢迎使用本插件，请根据需要修改下面的设置。\r\n"
                u8"消息前缀: \"[系统] \"\r\n"
                u8"玩家加入服务器时显示的欢迎信息，支持颜色代码。\r\n"
                u8"enabled: true\r\n");
}
