<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="zh_CN">
<context>
    <name>MainWindow</name>
    <message>
        <source>设置配置表信息失败！</source>
        <translation>Renaming the profile failed!</translation>
    </message>
    <message>
        <source>增加配置表失败！</source>
        <translation>Adding a profile failed!</translation>
    </message>
    <message>
        <source>删除配置表失败！</source>
        <translation>Deleting the profile failed!</translation>
    </message>
    <message>
        <source>选择配置文件</source>
        <translation>Choose a configuration file</translation>
    </message>
    <message>
        <source>配置文件(*.aaa);;所有文件(*)</source>
        <translation>Configuration files (*.aaa);;All files (*)</translation>
    </message>
    <message>
        <source>导出配置中......</source>
        <translation>Exporting the configuration......</translation>
    </message>
    <message>
        <source>写入配置成功</source>
        <translation>Configuration written</translation>
    </message>
    <message>
        <source>写入配置失败</source>
        <translation>Writing the configuration failed</translation>
    </message>
    <message>
        <source>导入配置中......</source>
        <translation>Importing the configuration......</translation>
    </message>
    <message>
        <source>导入配置成功</source>
        <translation>Configuration imported</translation>
    </message>
    <message>
        <source>导入配置失败</source>
        <translation>Importing the configuration failed</translation>
    </message>
    <message>
        <source>磁性键盘</source>
        <translation>Magnetic Keyboard</translation>
    </message>
    <message>
        <source>设备</source>
        <translation>Device</translation>
    </message>
    <message>
        <source>固件</source>
        <translation>Firmware</translation>
    </message>
    <message>
        <source>设置</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>通讯方式</source>
        <translation>Connection</translation>
    </message>
    <message>
        <source>蓝牙</source>
        <translation>Bluetooth</translation>
    </message>
    <message>
        <source>常用配置</source>
        <translation>Profiles</translation>
    </message>
    <message>
        <source>点击恢复显示</source>
        <translation>Click to restore the window</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Notice</translation>
    </message>
    <message>
        <source>程序已最小化到托盘</source>
        <translation>The program has been minimised to the tray</translation>
    </message>
    <message>
        <source>窗口最小化</source>
        <translation>Minimise the window</translation>
    </message>
    <message>
        <source>窗口最大化</source>
        <translation>Maximise the window</translation>
    </message>
    <message>
        <source>恢复原始大小</source>
        <translation>Restore the original size</translation>
    </message>
    <message>
        <source>退出</source>
        <translation>Quit</translation>
    </message>
    <message>
        <source>键盘数据同步中</source>
        <translation>Synchronising keyboard data</translation>
    </message>
    <message>
        <source>读取配置失败</source>
        <translation>Reading the configuration failed</translation>
    </message>
</context>
<context>
    <name>SystemSetForm</name>
    <message>
        <source>返回</source>
        <translation>Back</translation>
    </message>
    <message>
        <source>检测版本</source>
        <translation>Check version</translation>
    </message>
    <message>
        <source>开机自动启动：</source>
        <translation>Start with the system:</translation>
    </message>
    <message>
        <source>开机后自动启动磁性键盘软件</source>
        <translation>Start the magnetic keyboard software automatically when the computer starts</translation>
    </message>
    <message>
        <source>关闭时最小化到托盘：</source>
        <translation>Minimise to tray on close:</translation>
    </message>
    <message>
        <source>磁性键盘关闭时，最小化到系统托盘</source>
        <translation>When the magnetic keyboard software is closed, minimise it to the system tray</translation>
    </message>
    <message>
        <source>语言：</source>
        <translation>Language:</translation>
    </message>
    <message>
        <source>跟随系统</source>
        <translation>Follow the system</translation>
    </message>
    <message>
        <source>简体中文</source>
        <translation>Simplified Chinese</translation>
    </message>
    <message>
        <source>越南语</source>
        <translation>Vietnamese</translation>
    </message>
    <message>
        <source>设置磁性软件的语言</source>
        <translation>Set the language of the software</translation>
    </message>
    <message>
        <source>主题：</source>
        <translation>Theme:</translation>
    </message>
    <message>
        <source>亮色主题</source>
        <translation>Light theme</translation>
    </message>
    <message>
        <source>暗色主题</source>
        <translation>Dark theme</translation>
    </message>
    <message>
        <source>设置磁性软件的主题</source>
        <translation>Set the theme of the software</translation>
    </message>
    <message>
        <source>固件工具：</source>
        <translation>Firmware tool:</translation>
    </message>
    <message>
        <source>开启后可以强制升级产品固件，不对固件校验产品类型</source>
        <translation>When on, product firmware can be force-upgraded without checking the product type</translation>
    </message>
    <message>
        <source>磁性键盘软件版本-</source>
        <translation>Magnetic keyboard software version-</translation>
    </message>
    <message>
        <source>更新错误: </source>
        <translation>Update error: </translation>
    </message>
    <message>
        <source>English</source>
        <translation>English</translation>
    </message>
    <message>
        <source>-V</source>
        <translation>-V</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Notice</translation>
    </message>
    <message>
        <source>没有新版本</source>
        <translation>No new version</translation>
    </message>
    <message>
        <source>发现新版本</source>
        <translation>New version found</translation>
    </message>
    <message>
        <source>发现新版本 %1

更新内容:
%2

是否立即下载更新?</source>
        <translation>New version %1 found

What is new:
%2

Download the update now?</translation>
    </message>
    <message>
        <source>正在下载更新...</source>
        <translation>Downloading the update...</translation>
    </message>
    <message>
        <source>下载文件校验失败</source>
        <translation>The downloaded file failed verification</translation>
    </message>
    <message>
        <source>安装</source>
        <translation>Install</translation>
    </message>
    <message>
        <source>下载完成，是否安装...</source>
        <translation>Download complete. Install now?</translation>
    </message>
    <message>
        <source>正在安装更新...</source>
        <translation>Installing the update...</translation>
    </message>
    <message>
        <source>是</source>
        <translation>Yes</translation>
    </message>
    <message>
        <source>否</source>
        <translation>No</translation>
    </message>
</context>
<context>
    <name>DeviceManageForm</name>
    <message>
        <source>打开设备</source>
        <translation>Open device</translation>
    </message>
    <message>
        <source>正在搜索蓝牙，请稍候...</source>
        <translation>Searching for Bluetooth devices, please wait...</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>未搜索到蓝牙</source>
        <translation>No Bluetooth keyboard found</translation>
    </message>
    <message>
        <source>键盘数据同步中</source>
        <translation>Synchronising keyboard data</translation>
    </message>
    <message>
        <source>读取配置失败</source>
        <translation>Reading the configuration failed</translation>
    </message>
    <message>
        <source>没有匹配的产品，请联系厂家同步更新</source>
        <translation>No matching product, please ask the manufacturer for an update</translation>
    </message>
    <message>
        <source>资源包解压失败</source>
        <translation>Unpacking the resource package failed</translation>
    </message>
    <message>
        <source>找不到产品型号，请确认软件是否正确</source>
        <translation>Product model not found, please check that this is the right software</translation>
    </message>
    <message>
        <source>打开设备失败</source>
        <translation>Opening the device failed</translation>
    </message>
</context>
<context>
    <name>QDeviceAddWidget</name>
    <message>
        <source>打开设备</source>
        <translation>Open device</translation>
    </message>
</context>
<context>
    <name>PageTitleBar</name>
    <message>
        <source>改键设置</source>
        <translation>Keys</translation>
    </message>
    <message>
        <source>灯光设置</source>
        <translation>Lighting</translation>
    </message>
    <message>
        <source>高级键设置</source>
        <translation>Advanced keys</translation>
    </message>
    <message>
        <source>宏设置</source>
        <translation>Macros</translation>
    </message>
    <message>
        <source>性能设置</source>
        <translation>Performance</translation>
    </message>
    <message>
        <source>校准设置</source>
        <translation>Calibration</translation>
    </message>
    <message>
        <source>其他设置</source>
        <translation>Maintenance</translation>
    </message>
</context>
<context>
    <name>KeySetForm</name>
    <message>
        <source>普通层</source>
        <translation>Normal layer</translation>
    </message>
    <message>
        <source>Fn</source>
        <translation>Fn layer</translation>
    </message>
    <message>
        <source>键盘按键</source>
        <translation>Keyboard</translation>
    </message>
    <message>
        <source>系统按键</source>
        <translation>Media</translation>
    </message>
    <message>
        <source>宏按键</source>
        <translation>Macros</translation>
    </message>
    <message>
        <source>灯效按键</source>
        <translation>Lighting</translation>
    </message>
    <message>
        <source>扩展按键</source>
        <translation>Functions</translation>
    </message>
    <message>
        <source>按键设置失败</source>
        <translation>The key could not be changed</translation>
    </message>
    <message>
        <source>重置键盘数据成功！</source>
        <translation>Keyboard data reset!</translation>
    </message>
</context>
<context>
    <name>QInputKeyboardWidget</name>
    <message>
        <source>恢复默认</source>
        <translation>Default</translation>
    </message>
    <message>
        <source>无效键</source>
        <translation>Disable</translation>
    </message>
    <message>
        <source>全恢复</source>
        <translation>Reset all</translation>
    </message>
</context>
<context>
    <name>MacroSetForm</name>
    <message>
        <source>开始录制</source>
        <translation>Start recording</translation>
    </message>
    <message>
        <source>停止录制</source>
        <translation>Stop recording</translation>
    </message>
    <message>
        <source>清除全部</source>
        <translation>Clear all</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>宏设置</source>
        <translation>Step</translation>
    </message>
    <message>
        <source>按键内容</source>
        <translation>Key</translation>
    </message>
    <message>
        <source>按键类型</source>
        <translation>Action</translation>
    </message>
    <message>
        <source>按下</source>
        <translation>Press</translation>
    </message>
    <message>
        <source>抬起</source>
        <translation>Release</translation>
    </message>
    <message>
        <source>持续时间(ms)</source>
        <translation>Delay (ms)</translation>
    </message>
    <message>
        <source>最大添加20个按键</source>
        <translation>A macro holds at most 20 steps</translation>
    </message>
    <message>
        <source>宏数据同步成功!</source>
        <translation>The macro data has been successfully synchronized!</translation>
    </message>
    <message>
        <source>宏数据同步失败</source>
        <translation>The macro could not be saved</translation>
    </message>
</context>
<context>
    <name>PerformanceSetForm</name>
    <message>
        <source>请在下方选择需要修改的按键</source>
        <translation>Select the keys to change below</translation>
    </message>
    <message>
        <source>全选</source>
        <translation>Select all</translation>
    </message>
    <message>
        <source>反选</source>
        <translation>Invert</translation>
    </message>
    <message>
        <source>取消全选</source>
        <translation>Deselect all</translation>
    </message>
    <message>
        <source>单位：mm</source>
        <translation>Unit: mm</translation>
    </message>
    <message>
        <source>触发行程</source>
        <translation>Actuation</translation>
    </message>
    <message>
        <source>快速触发行程</source>
        <translation>Press sensitivity</translation>
    </message>
    <message>
        <source>快速重置行程</source>
        <translation>Release sensitivity</translation>
    </message>
    <message>
        <source>按键在按压到固定位置后触发，回弹到固定位置后释放。触发行程越低，物理响应速度越快，但更容易误触触发按键所需要按下的距离</source>
        <translation>A key actuates when pressed down to this point and releases when it rises back past it. The shorter the travel, the faster the response, but the easier a key is pressed by accident.</translation>
    </message>
    <message>
        <source>快速触发模式</source>
        <translation>Rapid trigger</translation>
    </message>
    <message>
        <source>当按键按下超过设置的触发行程后，并且已经松开至快速重置状态，重新按下按键达所设置的灵敏度，即可继续触发</source>
        <translation>Once a key is past its actuation point and has been let up into rapid reset, pressing it again by this distance actuates it again.</translation>
    </message>
    <message>
        <source>当按键按下超过设置的触发行程后，松开按键达到所设置的灵敏度，即可停止触发</source>
        <translation>Once a key is past its actuation point, letting it up by this distance releases it.</translation>
    </message>
    <message>
        <source>连续快速触发</source>
        <translation>Continuous rapid trigger</translation>
    </message>
    <message>
        <source>启用时，快速触发在您完全松开按键时才会终止。禁用时，松开按键到轴体触发行程后终止快速触发。如果您想连续敲击一个键（比如在游玩osu!)而不用顾虑触发行程的话，请启用这个功能</source>
        <translation>When on, rapid trigger ends only when the key is fully released; when off, it ends once the key rises past its actuation point. Turn it on to tap a key repeatedly (as in osu!) without minding the actuation point.</translation>
    </message>
    <message>
        <source>断触优化</source>
        <translation>Bottom-out optimisation</translation>
    </message>
    <message>
        <source>部分种类的轴体的行程可能会产生±0.2mm的公差，启用后，只要触底即判定为触发，以便免误重置</source>
        <translation>The travel of some switches varies by ±0.2 mm. When on, a key that bottoms out always counts as pressed, so it is not released by mistake.</translation>
    </message>
    <message>
        <source>轮询率</source>
        <translation>Polling rate</translation>
    </message>
    <message>
        <source>防抖等级</source>
        <translation>Debounce</translation>
    </message>
    <message>
        <source>竞技模式</source>
        <translation>Competition mode</translation>
    </message>
    <message>
        <source>搭载高性能竞技固件，开启后RT最低可达0.02 mm（极限状态下，任何轻微抖动都可能被识别并执行，请谨慎使用）</source>
        <translation>High-performance competition firmware: rapid trigger down to 0.02 mm (at that limit any slight tremor may register; use with care).</translation>
    </message>
    <message>
        <source>死区设置-按下(触发）</source>
        <translation>Dead zone – press (actuation)</translation>
    </message>
    <message>
        <source>死区设置-抬起(重置）</source>
        <translation>Dead zone – release (reset)</translation>
    </message>
    <message>
        <source>高</source>
        <translation>High</translation>
    </message>
    <message>
        <source>低</source>
        <translation>Low</translation>
    </message>
    <message>
        <source>请先选择要设置的按键</source>
        <translation>Select the keys to set first</translation>
    </message>
    <message>
        <source>键盘没有确认修改，已恢复为键盘中的设置</source>
        <translation>The keyboard did not confirm the change: the page shows its settings again</translation>
    </message>
</context>
<context>
    <name>QNatureLabel</name>
    <message>
        <source>快速触发模式:已开启</source>
        <translation>Rapid trigger: on</translation>
    </message>
    <message>
        <source>快速触发模式:已关闭</source>
        <translation>Rapid trigger: off</translation>
    </message>
    <message>
        <source>连续快速触发:已开启</source>
        <translation>Continuous rapid trigger: on</translation>
    </message>
    <message>
        <source>连续快速触发:已关闭</source>
        <translation>Continuous rapid trigger: off</translation>
    </message>
</context>
<context>
    <name>LightSetForm</name>
    <message>
        <source>全选</source>
        <translation>Select all</translation>
    </message>
    <message>
        <source>反选</source>
        <translation>Invert</translation>
    </message>
    <message>
        <source>取消全选</source>
        <translation>Deselect all</translation>
    </message>
    <message>
        <source>选择模式</source>
        <translation>Mode</translation>
    </message>
    <message>
        <source>请选择一种灯光模式</source>
        <translation>Choose a lighting mode</translation>
    </message>
    <message>
        <source>亮度</source>
        <translation>Brightness</translation>
    </message>
    <message>
        <source>速度</source>
        <translation>Speed</translation>
    </message>
    <message>
        <source>全彩</source>
        <translation>Full colour</translation>
    </message>
    <message>
        <source>自定义</source>
        <translation>Per key</translation>
    </message>
    <message>
        <source>请先选择要设置的按键，再修改亮度或颜色！</source>
        <translation>Select the keys first, then change the brightness or colour!</translation>
    </message>
    <message>
        <source>请先选择颜色，再修改亮度！</source>
        <translation>Choose a colour first, then change the brightness!</translation>
    </message>
    <message>
        <source>灯光设置失败</source>
        <translation>The lighting could not be changed</translation>
    </message>
</context>
<context>
    <name>QColorChooser</name>
    <message>
        <source>默认颜色</source>
        <translation>Presets</translation>
    </message>
    <message>
        <source>自定义颜色</source>
        <translation>Custom colour</translation>
    </message>
</context>
<context>
    <name>HighKeyForm</name>
    <message>
        <source>切换开关</source>
        <translation>Toggle</translation>
    </message>
    <message>
        <source>按住/单击</source>
        <translation>Hold/Tap</translation>
    </message>
    <message>
        <source>动态键程</source>
        <translation>Dynamic stroke</translation>
    </message>
    <message>
        <source>RS</source>
        <translation>RS</translation>
    </message>
    <message>
        <source>OKS</source>
        <translation>OKS</translation>
    </message>
    <message>
        <source>SOCD</source>
        <translation>SOCD</translation>
    </message>
    <message>
        <source>首先选择任意按键来绑定高级键。每个配置文件最多可使用 32 个高级键。 当前绑定项：</source>
        <translation>Select a key first, then bind an advanced key to it. Each profile can use up to 32 advanced keys. Bound: </translation>
    </message>
    <message>
        <source>请先选择要设置的按键</source>
        <translation>Select a key first</translation>
    </message>
    <message>
        <source>该高级键已不存在</source>
        <translation>This advanced key no longer exists</translation>
    </message>
    <message>
        <source>已绑定 32 个高级键，请先删除不用的高级键</source>
        <translation>All 32 advanced keys are bound: delete one you no longer use first</translation>
    </message>
    <message>
        <source>高级键设置失败</source>
        <translation>The advanced key was not saved</translation>
    </message>
    <message>
        <source>重置键盘数据成功！</source>
        <translation>Keyboard data reset.</translation>
    </message>
</context>
<context>
    <name>QHighKeyAddWidget</name>
    <message>
        <source>+ 添加按键</source>
        <translation>+ Add key</translation>
    </message>
</context>
<context>
    <name>QHighKeyItemWidget</name>
    <message>
        <source>删除</source>
        <translation>Delete</translation>
    </message>
</context>
<context>
    <name>QHighKeyDialog</name>
    <message>
        <source>删除</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>已绑定 32 个高级键，请先删除不用的高级键</source>
        <translation>All 32 advanced keys are bound: delete one you no longer use first</translation>
    </message>
</context>
<context>
    <name>QDksAddDialog</name>
    <message>
        <source>动态键程(DKS)</source>
        <translation>Dynamic keystroke (DKS)</translation>
    </message>
    <message>
        <source>磁轴高级键，可以将一个按键根据按压和松开的程度不同，绑定1至4种功能</source>
        <translation>One key, 1 to 4 functions: each row is an action that fires where it is ticked, pressing down or letting go.</translation>
    </message>
</context>
<context>
    <name>QMtAddDialog</name>
    <message>
        <source>按住/单击(MT)</source>
        <translation>Hold/Tap (MT)</translation>
    </message>
    <message>
        <source>单击和长按分别对应不同的按键。 长按所对应的按键也可以是切层，这可以极大地扩展键盘的可能性。</source>
        <translation>Tapping and holding send different keys. The hold key can also switch layers, which greatly extends what the keyboard can do.</translation>
    </message>
    <message>
        <source>单击</source>
        <translation>Tap</translation>
    </message>
    <message>
        <source>长按</source>
        <translation>Hold</translation>
    </message>
    <message>
        <source>按住时间</source>
        <translation>Hold time</translation>
    </message>
    <message>
        <source>由于判断是否为单击需要时间，触发单击按键会比正常按键慢。给此按键开启快速 触发，并降低重置距离会改善，但是仍不如正常按键。</source>
        <translation>Telling a tap from a hold takes time, so the tap key fires later than a normal key. Turning on rapid trigger for this key and lowering its reset distance helps, but it stays slower than a normal key.</translation>
    </message>
</context>
<context>
    <name>QTglAddDialog</name>
    <message>
        <source>切换开关(TGL)</source>
        <translation>Toggle (TGL)</translation>
    </message>
    <message>
        <source>单击按键可开关持续触发，按住按键则为正常触发行为</source>
        <translation>Tap the key to switch continuous triggering on or off; holding it acts as a normal press.</translation>
    </message>
    <message>
        <source>触发</source>
        <translation>Trigger</translation>
    </message>
</context>
<context>
    <name>QPairKeyDialog</name>
    <message>
        <source>按键1</source>
        <translation>Key 1</translation>
    </message>
    <message>
        <source>按键2</source>
        <translation>Key 2</translation>
    </message>
    <message>
        <source>请先选择要设置的按键</source>
        <translation>Select a key first</translation>
    </message>
    <message>
        <source>请在键盘上选择按键2</source>
        <translation>Pick key 2 on the keyboard</translation>
    </message>
    <message>
        <source>按键1和按键2不能是同一个按键</source>
        <translation>Key 1 and key 2 must be different keys</translation>
    </message>
</context>
<context>
    <name>QRsAddDialog</name>
    <message>
        <source>RS监控</source>
        <translation>RS</translation>
    </message>
    <message>
        <source>RS监控2个选定的键,并激活按下的键。例如,当A键被按下时,如果D键比A键按得更深,则D键会立即激活。一旦您释放了D键,A键就会激活。</source>
        <translation>RS watches the two chosen keys and activates the one pressed deeper. For example, while A is held, pressing D deeper than A activates D at once; as soon as you release D, A activates again.</translation>
    </message>
</context>
<context>
    <name>QOksAddDialog</name>
    <message>
        <source>OKS监控</source>
        <translation>OKS</translation>
    </message>
    <message>
        <source>OKS监控2个选定的键,并激活按下的键。例如,当A键与D键绑定时时。一旦您释放了D键,A键就会激活，同理释放A键,D键也会激活。</source>
        <translation>OKS watches the two chosen keys and activates the one pressed. For example, with A bound to D: as soon as you release D, A activates, and releasing A likewise activates D.</translation>
    </message>
</context>
<context>
    <name>QSocdAddDialog</name>
    <message>
        <source>SOCD</source>
        <translation>SOCD</translation>
    </message>
    <message>
        <source>SOCD指的是一种技术，用于处理同时按下对立方向键时的输入。具体来说，当玩家在操作设备时，如果同时按下两个方向键（如上和下，左和右），SOCD 技术会根据设定的规则或算法来决定如何处理这些输入，以避免冲突或错误。</source>
        <translation>SOCD decides what happens when two opposite direction keys are pressed together, such as up and down or left and right: the rule chosen below settles the conflict.</translation>
    </message>
    <message>
        <source>行为模式</source>
        <translation>Behaviour</translation>
    </message>
    <message>
        <source>最后输入优先级</source>
        <translation>Last input wins</translation>
    </message>
    <message>
        <source>绝对按键1优先</source>
        <translation>Key 1 always wins</translation>
    </message>
    <message>
        <source>绝对按键2优先</source>
        <translation>Key 2 always wins</translation>
    </message>
    <message>
        <source>抵消模式</source>
        <translation>Both cancel</translation>
    </message>
</context>
<context>
    <name>FirewareManageForm</name>
    <message>
        <source>键盘已断开，固件没有写完。请插上键盘，再写一次固件。</source>
        <translation>The keyboard was disconnected before the firmware was fully written. Plug the keyboard in and write the firmware again.</translation>
    </message>
    <message>
        <source>键盘一直忙，固件没有写完。请稍后再写一次固件。</source>
        <translation>The keyboard stayed busy and the firmware was not fully written. Write the firmware again later.</translation>
    </message>
    <message>
        <source>下载固件失败</source>
        <translation>Downloading the firmware failed</translation>
    </message>
    <message>
        <source>下载固件中，请不要执行其他操作</source>
        <translation>Downloading the firmware, please do nothing else meanwhile</translation>
    </message>
</context>
<context>
    <name>HidAccessCheck</name>
    <message>
        <source>没有权限打开键盘设备 %1。请运行 scripts/udev-rule.sh 安装 udev 规则，然后重新插入键盘。</source>
        <translation>No permission to open the keyboard device %1. Run scripts/udev-rule.sh to install the udev rule, then plug the keyboard in again.</translation>
    </message>
</context>
<context>
    <name>QCustomProgressDialog</name>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>QFirewareItemWidget</name>
    <message>
        <source>固件下载</source>
        <translation>Download the firmware</translation>
    </message>
</context>
<context>
    <name>AlignSetForm</name>
    <message>
        <source>Form</source>
        <translation>Form</translation>
    </message>
    <message>
        <source>开始校准</source>
        <translation>Start calibration</translation>
    </message>
    <message>
        <source>保存校准</source>
        <translation>Save calibration</translation>
    </message>
    <message>
        <source>打开ADC</source>
        <translation>Open ADC</translation>
    </message>
    <message>
        <source>关闭ADC</source>
        <translation>Close ADC</translation>
    </message>
    <message>
        <source>温馨提示：请单个按压键盘按键，完全按压直到触底并保持触底，（上下左右四个方向）晃动一下，持续2秒以上，最后完全松开，每个按键建议重复整个过程两到三次。
警告提示：关闭软件或者退出校准界面之前，请保存校准。如果意外关闭了软件，没有退出校准，导致键盘一直常量灯或者键盘工作不正常，请重新插拔键盘。</source>
        <translation>Tip: press one key at a time all the way down and keep it there, rock it once (up, down, left and right) for at least 2 seconds, then release it completely. Repeating this two or three times for each key is recommended.
Warning: save the calibration before closing the program or leaving this page. If the program was closed during a calibration and the keyboard stays lit or does not work properly, unplug the keyboard and plug it in again.</translation>
    </message>
    <message>
        <source>打开校准失败</source>
        <translation>Calibration could not be started</translation>
    </message>
    <message>
        <source>保存校准失败</source>
        <translation>Saving the calibration failed</translation>
    </message>
</context>
<context>
    <name>OtherSetForm</name>
    <message>
        <source>Form</source>
        <translation>Form</translation>
    </message>
    <message>
        <source>键盘固件版本：V</source>
        <translation>Keyboard firmware: V</translation>
    </message>
    <message>
        <source>更新固件</source>
        <translation>Update</translation>
    </message>
    <message>
        <source>暂无新版本</source>
        <translation>No new version</translation>
    </message>
    <message>
        <source>查看新版本</source>
        <translation>View</translation>
    </message>
    <message>
        <source>恢复出厂设置</source>
        <translation>Factory reset</translation>
    </message>
    <message>
        <source>立即恢复</source>
        <translation>Reset now</translation>
    </message>
    <message>
        <source>所有设置将恢复到出厂状态，请谨慎操作。</source>
        <translation>Every setting returns to its factory state. Please proceed with care.</translation>
    </message>
    <message>
        <source>磁性键盘固件数据</source>
        <translation>Keyboard firmware data</translation>
    </message>
    <message>
        <source>更新数据</source>
        <translation>Update</translation>
    </message>
    <message>
        <source>没有新版本</source>
        <translation>No newer version</translation>
    </message>
    <message>
        <source>更新错误: </source>
        <translation>Update error: </translation>
    </message>
    <message>
        <source>发现新版本 %1

更新内容:
%2

是否立即下载更新?</source>
        <translation>New version %1 found

What is new:
%2

Download the update now?</translation>
    </message>
    <message>
        <source>发现新版本</source>
        <translation>New version found</translation>
    </message>
    <message>
        <source>是</source>
        <translation>Yes</translation>
    </message>
    <message>
        <source>否</source>
        <translation>No</translation>
    </message>
    <message>
        <source>正在下载更新...</source>
        <translation>Downloading the update...</translation>
    </message>
    <message>
        <source>下载文件校验失败</source>
        <translation>The downloaded file failed its check</translation>
    </message>
    <message>
        <source>同步</source>
        <translation>Write to the keyboard</translation>
    </message>
    <message>
        <source>下载完成，是否同步键盘固件...</source>
        <translation>Download complete. Write the firmware to the keyboard?</translation>
    </message>
    <message>
        <source>选择固件数据文件</source>
        <translation>Choose a firmware data file</translation>
    </message>
    <message>
        <source>固件数据文件(*.bin);;所有文件(*)</source>
        <translation>Firmware data files (*.bin);;All files (*)</translation>
    </message>
    <message>
        <source>下载键盘固件中，请不要执行其他操作</source>
        <translation>Writing the keyboard firmware, please do nothing else meanwhile</translation>
    </message>
    <message>
        <source>下载固件数据中，请不要执行其他操作</source>
        <translation>Writing the firmware data, please do nothing else meanwhile</translation>
    </message>
    <message>
        <source>打开文件失败！</source>
        <translation>The file could not be opened!</translation>
    </message>
    <message>
        <source>固件数据不匹配！</source>
        <translation>The firmware data does not match its header!</translation>
    </message>
    <message>
        <source>下载固件失败！</source>
        <translation>Writing the firmware failed!</translation>
    </message>
    <message>
        <source>下载固件数据失败！</source>
        <translation>Writing the firmware data failed!</translation>
    </message>
    <message>
        <source>固件升级成功，如果没连上设备，请重新拔插USB线！</source>
        <translation>Firmware updated. If the keyboard does not come back, unplug its USB cable and plug it in again!</translation>
    </message>
    <message>
        <source>固件数据下载成功！</source>
        <translation>Firmware data written!</translation>
    </message>
    <message>
        <source>你确定要恢复出厂设置吗？</source>
        <translation>Do you really want to reset the keyboard to its factory settings?</translation>
    </message>
    <message>
        <source>确认</source>
        <translation>Reset</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>恢复出厂设置中，请不要执行其他操作</source>
        <translation>Resetting to factory settings, please do nothing else meanwhile</translation>
    </message>
    <message>
        <source>恢复出厂设置成功！</source>
        <translation>Factory settings restored!</translation>
    </message>
    <message>
        <source>恢复出厂设置失败！</source>
        <translation>The factory reset failed!</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Notice</translation>
    </message>
</context>
</TS>
