<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN" sourcelanguage="en">
<context>
    <name>orvane</name>
    <message>
        <source>Open From clipboard</source>
        <translation>从剪贴板打开</translation>
    </message>
    <message>
        <source>Open From file</source>
        <translation>打开文件</translation>
    </message>
    <message>
        <source>Open Form Screen</source>
        <translation>测量屏幕</translation>
    </message>
    <message>
        <source>Show</source>
        <translation>显示</translation>
    </message>
    <message>
        <source>About</source>
        <translation>关于</translation>
    </message>
    <message>
        <source>Check Version</source>
        <translation>检查版本</translation>
    </message>
    <message>
        <source>Free For Commercial images </source>
        <translation>免费商用图片</translation>
    </message>
    <message>
        <source>Start at login</source>
        <translation>登录时启动</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>退出</translation>
    </message>
    <message>
        <source>Change the line color</source>
        <translation>更改线条颜色</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>删除</translation>
    </message>
    <message>
        <source>Change background color</source>
        <translation>更改背景颜色</translation>
    </message>
    <message>
        <source>Transparent Background color</source>
        <translation>透明背景</translation>
    </message>
    <message>
        <source>Custom text</source>
        <translation>自定义文字</translation>
    </message>
    <message>
        <source>Contrast with…</source>
        <translation>对比度…</translation>
    </message>
    <message>
        <source>Copy measurements</source>
        <translation>复制测量结果</translation>
    </message>
    <message>
        <source>Copy color code</source>
        <translation>复制颜色代码</translation>
    </message>
    <message>
        <source>Web color</source>
        <translation>网页颜色代码</translation>
    </message>
    <message>
        <source>RGB color</source>
        <translation>RGB 颜色代码</translation>
    </message>
    <message>
        <source>Change Background color</source>
        <translation>更改文本框背景颜色</translation>
    </message>
    <message>
        <source>Change color</source>
        <translation>更改颜色</translation>
    </message>
    <message>
        <source>Mark Length</source>
        <translation>标注长度</translation>
    </message>
    <message>
        <source>Mark Color</source>
        <translation>标注颜色</translation>
    </message>
    <message>
        <source>Mark Text</source>
        <translation>标注文字</translation>
    </message>
    <message>
        <source>Drag</source>
        <translation>移动</translation>
    </message>
    <message>
        <source>no picture in clipboard</source>
        <translation>剪贴板中没有图片</translation>
    </message>
    <message>
        <source>Left-click to display the window</source>
        <translation>单击显示菜单</translation>
    </message>
    <message>
        <source>Menu</source>
        <translation>菜单</translation>
    </message>
    <message>
        <source>The screen cannot be copied: this desktop offers no screenshot portal.</source>
        <translation>无法复制屏幕：此桌面没有提供截图门户。</translation>
    </message>
    <message>
        <source>The screen copy was refused.</source>
        <translation>屏幕复制被拒绝。</translation>
    </message>
    <message>
        <source>The screen could not be copied.</source>
        <translation>无法复制屏幕。</translation>
    </message>
    <message>
        <source>Measure Box</source>
        <translation>测量方框</translation>
    </message>
    <message>
        <source>Redact</source>
        <translation>遮盖</translation>
    </message>
    <message>
        <source>Copy size</source>
        <translation>复制尺寸</translation>
    </message>
    <message>
        <source>Pixelate</source>
        <translation>马赛克</translation>
    </message>
    <message>
        <source>Fill black</source>
        <translation>填充黑色</translation>
    </message>
</context>
</TS>
