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
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
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
        <source>Initialization interface resource failure</source>
        <translation>Initialization interface resource failure</translation>
    </message>
    <message>
        <source>Do not choose to come out of the scene!</source>
        <translation>Do not choose to come out of the scene!</translation>
    </message>
    <message>
        <source>Exporting the scene successfully</source>
        <translation>Exporting the scene successfully</translation>
    </message>
    <message>
        <source>Failed to export effect to file</source>
        <translation>Failed to export effect to file</translation>
    </message>
    <message>
        <source>A scenario with the same name already exists,Do you want to continue importing?</source>
        <translation>A scenario with the same name already exists,Do you want to continue importing?</translation>
    </message>
    <message>
        <source>Car audio effect file</source>
        <translation>Car audio effect file</translation>
    </message>
    <message>
        <source>Please select one or more vehicle scene files</source>
        <translation>Please select one or more vehicle scene files</translation>
    </message>
    <message>
        <source>Name cannot be empty</source>
        <translation>Name cannot be empty</translation>
    </message>
    <message>
        <source>A scene with the same name already exists</source>
        <translation>A scene with the same name already exists</translation>
    </message>
    <message>
        <source>No selection of the scene to delete!</source>
        <translation>No selection of the scene to delete!</translation>
    </message>
    <message>
        <source>Whether you want to delete the selected scene?</source>
        <translation>Whether you want to delete the selected scene?</translation>
    </message>
    <message>
        <source>Unselected scene!</source>
        <translation>Unselected scene!</translation>
    </message>
    <message>
        <source>Call the computer scene successfully!</source>
        <translation>Call the computer scene successfully!</translation>
    </message>
    <message>
        <source>Recall PC mode failed</source>
        <translation>Recall PC mode failed</translation>
    </message>
    <message>
        <source>A scene that does not choose to replace!</source>
        <translation>A scene that does not choose to replace!</translation>
    </message>
    <message>
        <source>Do you want to replace the selected device mode?</source>
        <translation>Do you want to replace the selected device mode?</translation>
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
        <source>%d scene file reads failed:%s
</source>
        <translation>%d scene file reads failed:%s
</translation>
    </message>
    <message>
        <source>%d scene file add failures:%s
</source>
        <translation>%d scene file add failures:%s
</translation>
    </message>
    <message>
        <source>%d scenes have already existed：%s</source>
        <translation>%d scenes have already existed：%s</translation>
    </message>
    <message>
        <source>%d scene files imported successfully.
</source>
        <translation>%d scene files imported successfully.
</translation>
    </message>
    <message>
        <source>The settings file could not be written: this change is kept only until the program ends.</source>
        <translation>The settings file could not be written: this change is kept only until the program ends.</translation>
    </message>
    <message>
        <source>The settings file could not be read completely. The settings that could be read are in use; the damaged file was kept as:
%1</source>
        <translation>The settings file could not be read completely. The settings that could be read are in use; the damaged file was kept as:
%1</translation>
    </message>
    <message>
        <source>The settings file cannot be read:
%1
It is left as it is: settings changed now are kept only until the program ends.</source>
        <translation>The settings file cannot be read:
%1
It is left as it is: settings changed now are kept only until the program ends.</translation>
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
        <source>Car Audio DSP Tuner</source>
        <translation>Car Audio DSP Tuner</translation>
    </message>
    <message>
        <source>Car Audio DSP</source>
        <translation>Car Audio DSP</translation>
    </message>
    <message>
        <source>File</source>
        <translation>File</translation>
    </message>
    <message>
        <source>Config</source>
        <translation>Config</translation>
    </message>
    <message>
        <source>Memory</source>
        <translation>Memory</translation>
    </message>
    <message>
        <source>Mix</source>
        <translation>Mix</translation>
    </message>
    <message>
        <source>Connected</source>
        <translation>Connected</translation>
    </message>
    <message>
        <source>Not connect</source>
        <translation>Not connect</translation>
    </message>
    <message>
        <source>Advanced</source>
        <translation>Advanced</translation>
    </message>
    <message>
        <source>Delay</source>
        <translation>Delay</translation>
    </message>
    <message>
        <source>Master</source>
        <translation>Master</translation>
    </message>
    <message>
        <source>Sub</source>
        <translation>Sub</translation>
    </message>
    <message>
        <source>Mute</source>
        <translation>Mute</translation>
    </message>
    <message>
        <source>Phase</source>
        <translation>Phase</translation>
    </message>
    <message>
        <source>Link</source>
        <translation>Link</translation>
    </message>
    <message>
        <source>4 Channel</source>
        <translation>4 Channel</translation>
    </message>
    <message>
        <source>2 Channel</source>
        <translation>2 Channel</translation>
    </message>
    <message>
        <source>Limiter</source>
        <translation>Limiter</translation>
    </message>
    <message>
        <source>At.Time</source>
        <translation>At.Time</translation>
    </message>
    <message>
        <source>Re.Time</source>
        <translation>Re.Time</translation>
    </message>
    <message>
        <source>DBu</source>
        <translation>DBu</translation>
    </message>
    <message>
        <source>NoiseGate</source>
        <translation>NoiseGate</translation>
    </message>
    <message>
        <source>Crossover</source>
        <translation>Crossover</translation>
    </message>
    <message>
        <source>HP Type</source>
        <translation>HP Type</translation>
    </message>
    <message>
        <source>HP Freq</source>
        <translation>HP Freq</translation>
    </message>
    <message>
        <source>HP Slope</source>
        <translation>HP Slope</translation>
    </message>
    <message>
        <source>LP Type</source>
        <translation>LP Type</translation>
    </message>
    <message>
        <source>LP Freq</source>
        <translation>LP Freq</translation>
    </message>
    <message>
        <source>LP Slope</source>
        <translation>LP Slope</translation>
    </message>
    <message>
        <source>ResetEQ</source>
        <translation>ResetEQ</translation>
    </message>
    <message>
        <source>BypassEQ</source>
        <translation>BypassEQ</translation>
    </message>
    <message>
        <source>Freq</source>
        <translation>Freq</translation>
    </message>
    <message>
        <source>Gain</source>
        <translation>Gain</translation>
    </message>
    <message>
        <source>Preset</source>
        <translation>Preset</translation>
    </message>
    <message>
        <source>Sub bass</source>
        <translation>Sub bass</translation>
    </message>
    <message>
        <source>Bass</source>
        <translation>Bass</translation>
    </message>
    <message>
        <source>Low mid</source>
        <translation>Low mid</translation>
    </message>
    <message>
        <source>Mid</source>
        <translation>Mid</translation>
    </message>
    <message>
        <source>Upper mid</source>
        <translation>Upper mid</translation>
    </message>
    <message>
        <source>Presence</source>
        <translation>Presence</translation>
    </message>
    <message>
        <source>Brilliance</source>
        <translation>Brilliance</translation>
    </message>
    <message>
        <source>Default</source>
        <translation>Default</translation>
    </message>
    <message>
        <source>Undo</source>
        <translation>Undo</translation>
    </message>
    <message>
        <source>Device Preset</source>
        <translation>Device Preset</translation>
    </message>
    <message>
        <source>My Preset</source>
        <translation>My Preset</translation>
    </message>
    <message>
        <source>Memory slot in the box</source>
        <translation>Memory slot in the box</translation>
    </message>
    <message>
        <source>Factory settings</source>
        <translation>Factory settings</translation>
    </message>
    <message>
        <source>Load</source>
        <translation>Load</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>Import</source>
        <translation>Import</translation>
    </message>
    <message>
        <source>Export</source>
        <translation>Export</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Save Current</source>
        <translation>Save Current</translation>
    </message>
    <message>
        <source>Import scenario</source>
        <translation>Import scenario</translation>
    </message>
    <message>
        <source>Export scene</source>
        <translation>Export scene</translation>
    </message>
    <message>
        <source>Scenes on this computer</source>
        <translation>Scenes on this computer</translation>
    </message>
    <message>
        <source>Sending data to device...</source>
        <translation>Sending data to device...</translation>
    </message>
    <message>
        <source>Drag the listener and the speakers to where they are in the car.</source>
        <translation>Drag the listener and the speakers to where they are in the car.</translation>
    </message>
    <message>
        <source>Input 1</source>
        <translation>Input 1</translation>
    </message>
    <message>
        <source>Input 2</source>
        <translation>Input 2</translation>
    </message>
    <message>
        <source>Input 3</source>
        <translation>Input 3</translation>
    </message>
    <message>
        <source>Input 4</source>
        <translation>Input 4</translation>
    </message>
    <message>
        <source>Signal</source>
        <translation>Signal</translation>
    </message>
    <message>
        <source>NPhase</source>
        <translation>NPhase</translation>
    </message>
    <message>
        <source>RPhase</source>
        <translation>RPhase</translation>
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
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Car Audio DSP Tuner</source>
        <translation>Car Audio DSP Tuner</translation>
    </message>
    <message>
        <source>Tunes the car-audio signal processor live from this computer: equaliser, crossovers, delays, levels and the input mix.</source>
        <translation>Tunes the car-audio signal processor live from this computer: equaliser, crossovers, delays, levels and the input mix.</translation>
    </message>
</context>
</TS>
