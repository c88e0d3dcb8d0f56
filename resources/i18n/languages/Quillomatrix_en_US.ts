<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="zh_CN">
<context>
    <name>MainWindow</name>
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
</context>
<context>
    <name>DeviceManageForm</name>
    <message>
        <source>打开设备</source>
        <translation>Open device</translation>
    </message>
</context>
</TS>
