<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name></name>
    <message>
        <source>Advanced Login</source>
        <translation>Advanced Login</translation>
    </message>
    <message>
        <source>Password</source>
        <translation>Password</translation>
    </message>
    <message>
        <source>Please enter password</source>
        <translation>Please enter password</translation>
    </message>
    <message>
        <source>Password is incorrect</source>
        <translation>Password is incorrect</translation>
    </message>
</context>
<context>
    <name>messagebox</name>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>Yes</translation>
    </message>
    <message>
        <source>No</source>
        <translation>No</translation>
    </message>
    <message>
        <source>Prompt</source>
        <translation>Prompt</translation>
    </message>
    <message>
        <source>Notice</source>
        <translation>Notice</translation>
    </message>
    <message>
        <source>No device detected!</source>
        <translation>No device detected!</translation>
    </message>
    <message>
        <source>Fail to connect device!</source>
        <translation>Fail to connect device!</translation>
    </message>
    <message>
        <source>Device not connected</source>
        <translation>Device not connected</translation>
    </message>
    <message>
        <source>Recall device mode failed</source>
        <translation>Recall device mode failed</translation>
    </message>
    <message>
        <source>Save successfully</source>
        <translation>Save successfully</translation>
    </message>
    <message>
        <source>Save failed</source>
        <translation>Save failed</translation>
    </message>
    <message>
        <source>Sending data to device...</source>
        <translation>Sending data to device...</translation>
    </message>
    <message>
        <source>%d scenes have already existed：%s</source>
        <translation>%d scenes have already existed：%s</translation>
    </message>
</context>
<context>
    <name>editmenu</name>
    <message>
        <source>Undo</source>
        <translation>Undo</translation>
    </message>
    <message>
        <source>Cut</source>
        <translation>Cut</translation>
    </message>
    <message>
        <source>Copy</source>
        <translation>Copy</translation>
    </message>
    <message>
        <source>Paste</source>
        <translation>Paste</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>Select All</source>
        <translation>Select All</translation>
    </message>
</context>
<context>
    <name>main_menu</name>
    <message>
        <source>My Preset</source>
        <translation>My Preset</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>About</source>
        <translation>About</translation>
    </message>
</context>
<context>
    <name>mainWindow</name>
    <message>
        <source>Connected</source>
        <translation>Connected</translation>
    </message>
    <message>
        <source>Not connect</source>
        <translation>Not connect</translation>
    </message>
</context>
<context>
    <name>dlg_about</name>
    <message>
        <source>About</source>
        <translation>About</translation>
    </message>
    <message>
        <source>Version</source>
        <translation>Version</translation>
    </message>
</context>
</TS>
