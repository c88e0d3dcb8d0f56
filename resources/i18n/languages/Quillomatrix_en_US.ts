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
