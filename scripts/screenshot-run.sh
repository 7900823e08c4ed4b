#!/usr/bin/env bash
# Regenerates docs/after-transcode.png: Quorvel after a real "全部转码为UTF-8" run over a small
# sample plugin folder, with the closing message still up.
#
#   bash scripts/screenshot-run.sh [FILE]      FILE defaults to docs/after-transcode.png
#
# The sample folder is made afresh in BUILD_DIR/screenshot-sample (BUILD_DIR default: build)
# and shown to the program as drive D:, so the rows carry short paths like a real server's.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${BUILD_DIR:-$root/build}
export BUILD_DIR=$build_dir
out=$(realpath -m "${1:-$root/docs/after-transcode.png}")

bash "$root/scripts/build.sh"

sample=$build_dir/screenshot-sample
plugins=$sample/server/plugins
rm -rf "$sample"

gbk_files=()
gbk_texts=()
# Writes the text (UTF-8, from stdin) to the file as GBK, and remembers it for the check below.
put_gbk() {
  local text
  text=$(cat)
  mkdir -p "$(dirname "$1")"
  printf '%s\n' "$text" | iconv -f UTF-8 -t GBK >"$1"
  gbk_files+=("$1")
  gbk_texts+=("$text")
}
put_utf8() {
  mkdir -p "$(dirname "$1")"
  cat >"$1"
}

put_gbk "$plugins/config.yml" <<'TEXT'
# 服务器公告插件的主配置
# 修改后请在控制台输入 /notice reload 重新加载
前缀: "&6[公告]&r "
间隔秒数: 300
公告:
  - "欢迎来到我们的服务器，祝你玩得开心！"
  - "请不要在主城附近建造刷怪塔。"
  - "每周六晚上八点有活动，记得准时参加。"
TEXT
put_gbk "$plugins/公告.txt" <<'TEXT'
服务器规则
一、禁止使用任何作弊客户端。
二、不要破坏别人的建筑，也不要偷拿箱子里的物品。
三、聊天时请文明用语，不要刷屏。
违反规则的玩家将被警告，多次违反将被封禁。
TEXT
put_utf8 "$plugins/readme.txt" <<'TEXT'
Plugins of the survival server. Edit the files in each folder, then run /reload.
TEXT
put_utf8 "$plugins/Essentials/config.yml" <<'TEXT'
# 基础指令插件配置
语言: zh_cn
新玩家出生点: 主城广场
传送冷却秒数: 5
欢迎信息: "欢迎 {player} 第一次加入服务器！"
TEXT
put_gbk "$plugins/Essentials/messages.lang" <<'TEXT'
teleport.success=已将你传送到目的地。
teleport.cooldown=传送冷却中，请等待 {seconds} 秒后再试。
home.set=你的家已经设置在当前位置。
home.missing=你还没有设置家，请先输入 /sethome。
money.balance=你的余额是 {amount} 金币。
TEXT
put_utf8 "$plugins/Essentials/userdata/players.json" <<'TEXT'
{
  "小明": { "余额": 1200, "家": "主城东门" },
  "阿强": { "余额": 350, "家": "海边小屋" }
}
TEXT
put_gbk "$plugins/商店/shop.yml" <<'TEXT'
# 系统商店
标题: "&a服务器商店"
商品:
  钻石:
    价格: 100
    说明: "闪闪发光的钻石，可以用来制作最好的工具。"
  面包:
    价格: 5
    说明: "新鲜出炉的面包，可以快速恢复饥饿值。"
TEXT
put_gbk "$plugins/商店/items.json" <<'TEXT'
{
  "分类": ["矿物", "食物", "工具"],
  "提示": "点击物品即可购买，按住潜行键点击可以一次购买一组。",
  "购买成功": "你成功购买了 {amount} 个 {item}，花费 {price} 金币。"
}
TEXT
put_utf8 "$plugins/lang/zh_cn.lang" <<'TEXT'
menu.title=主菜单
menu.shop=打开商店
menu.home=回家
menu.spawn=回到出生点
TEXT
put_utf8 "$plugins/lang/en_us.lang" <<'TEXT'
menu.title=Main menu
menu.shop=Open the shop
menu.home=Go home
menu.spawn=Back to spawn
TEXT
put_utf8 "$plugins/lang/notes.md" <<'TEXT'
Not one of the listed extensions: the run does not touch this file.
TEXT

. "$root/scripts/wine-session.sh"
. "$root/scripts/virtual-desktop.sh"
wine_session_start "$build_dir"

drive_d="$WINEPREFIX/dosdevices/d:"
old_d=$(readlink "$drive_d" 2>/dev/null || true)
finish() {
  rm -f "$drive_d"
  [ -z "$old_d" ] || ln -s "$old_d" "$drive_d"
  wine_session_stop
}
trap finish EXIT
ln -sfn "$sample" "$drive_d"

desktop_start
report=$(desktop_drive --attach --folder 'D:\server\plugins' --action transcode --leave-message |
  iconv -f GBK -t UTF-8 | tr -d '\r')
echo "$report"
desktop_settle
desktop_screenshot "$out" window
desktop_drive --attach --dismiss >/dev/null
desktop_close

# The picture must show a finished run over every sample file, and the run must have converted
# every GBK file to the same text in UTF-8.
failed=0
grep -qx 'rows=10' <<<"$report" || { echo "screenshot-run: expected 10 rows" >&2; failed=1; }
grep -qx 'message=已全部转码完成！' <<<"$report" || {
  echo "screenshot-run: the closing message was not up" >&2
  failed=1
}
for i in "${!gbk_files[@]}"; do
  if ! printf '%s\n' "${gbk_texts[$i]}" | cmp -s - "${gbk_files[$i]}"; then
    echo "screenshot-run: ${gbk_files[$i]#"$sample/"} was not converted to UTF-8" >&2
    failed=1
  fi
done
[ "$failed" = 0 ] || exit 1
echo "screenshot-run: wrote $out"
