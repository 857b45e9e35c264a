<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="es" sourcelanguage="en">
<context>
    <name>HelpPane</name>
    <message>
        <source>Help</source>
        <translation>Ayuda</translation>
    </message>
    <message>
        <source>Help page not found: %1</source>
        <translation>Página de ayuda no encontrada: %1</translation>
    </message>
</context>
<context>
    <name>Layout</name>
    <message>
        <source>Exit</source>
        <translation>Salir</translation>
    </message>
    <message>
        <source>&lt;--  Back</source>
        <translation>&lt;--  Atrás</translation>
    </message>
    <message>
        <source>Next  --&gt;</source>
        <translation>Siguiente  --&gt;</translation>
    </message>
    <message>
        <source>Step 1: Detection of the printer</source>
        <translation>Paso 1: detección de la impresora</translation>
    </message>
    <message>
        <source>Manual Detection</source>
        <translation>Detección manual</translation>
    </message>
    <message>
        <source>Start</source>
        <translation>Iniciar</translation>
    </message>
    <message>
        <source>Serial Port</source>
        <translation>Puerto serie</translation>
    </message>
    <message>
        <source>COM 1</source>
        <translation>COM 1</translation>
    </message>
    <message>
        <source>COM 2</source>
        <translation>COM 2</translation>
    </message>
    <message>
        <source>COM 3</source>
        <translation>COM 3</translation>
    </message>
    <message>
        <source>COM 4</source>
        <translation>COM 4</translation>
    </message>
    <message>
        <source>COM 5</source>
        <translation>COM 5</translation>
    </message>
    <message>
        <source>COM 6</source>
        <translation>COM 6</translation>
    </message>
    <message>
        <source>Baudrate:</source>
        <translation>Velocidad (baudios):</translation>
    </message>
    <message>
        <source>Handshake:</source>
        <translation>Control de flujo:</translation>
    </message>
    <message>
        <source>Detect Printer</source>
        <translation>Detectar impresora</translation>
    </message>
    <message>
        <source>Step 2: Opto-sensor selection</source>
        <translation>Paso 2: selección del sensor óptico</translation>
    </message>
    <message>
        <source>Optosensor selection</source>
        <translation>Selección del sensor óptico</translation>
    </message>
    <message>
        <source>Printer opto-sensor</source>
        <translation>Sensor óptico de la impresora</translation>
    </message>
    <message>
        <source>Near End Of Paper opto-sensor</source>
        <translation>Sensor de casi sin papel</translation>
    </message>
    <message>
        <source>Action selection</source>
        <translation>Selección de la acción</translation>
    </message>
    <message>
        <source>Monitor the opto-sensor</source>
        <translation>Monitorizar el sensor óptico</translation>
    </message>
    <message>
        <source>Calibrate the opto-sensor</source>
        <translation>Calibrar el sensor óptico</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Ayuda</translation>
    </message>
    <message>
        <source>Step 3: Calibration of the opto-sensor</source>
        <translation>Paso 3: calibración del sensor óptico</translation>
    </message>
    <message>
        <source>Reflective</source>
        <translation>Reflexión</translation>
    </message>
    <message>
        <source>Transmitive</source>
        <translation>Transmisión</translation>
    </message>
    <message>
        <source>Calibrate</source>
        <translation>Calibrar</translation>
    </message>
    <message>
        <source>Monitoring the opto-sensors</source>
        <translation>Monitorización de los sensores ópticos</translation>
    </message>
    <message>
        <source>Check Parameters</source>
        <translation>Ver parámetros</translation>
    </message>
    <message>
        <source>Printer opto parameters</source>
        <translation>Parámetros del sensor óptico</translation>
    </message>
    <message>
        <source>Opto Type</source>
        <translation>Tipo de sensor</translation>
    </message>
    <message>
        <source>Black Level</source>
        <translation>Nivel de negro</translation>
    </message>
    <message>
        <source>Mark Level</source>
        <translation>Nivel de marca</translation>
    </message>
    <message>
        <source>Paper Level</source>
        <translation>Nivel de papel</translation>
    </message>
    <message>
        <source>Paper Threshold</source>
        <translation>Umbral de papel</translation>
    </message>
    <message>
        <source>Mark Threshold</source>
        <translation>Umbral de marca</translation>
    </message>
    <message>
        <source>Close Help</source>
        <translation>Cerrar ayuda</translation>
    </message>
</context>
<context>
    <name>Link</name>
    <message>
        <source>The serial port %1 cannot be used: %2.<byte value="xd"/>
Check the cable, the adapter and that no other program holds the port.</source>
        <translation>No se puede usar el puerto serie %1: %2.<byte value="xd"/>
Compruebe el cable, el adaptador y que ningún otro programa ocupe el puerto.</translation>
    </message>
</context>
<context>
    <name>MSComm</name>
    <message>
        <source>invalid line settings &quot;%1&quot;</source>
        <translation>ajustes de línea no válidos «%1»</translation>
    </message>
    <message>
        <source>%1 is still being opened</source>
        <translation>%1 todavía se está abriendo</translation>
    </message>
    <message>
        <source>%1 is not there</source>
        <translation>%1 no existe</translation>
    </message>
    <message>
        <source>%1 is not connected to any device</source>
        <translation>%1 no está conectado a ningún dispositivo</translation>
    </message>
</context>
<context>
    <name>MonitorFrm</name>
    <message>
        <source>Monitoring printer opto-sensor...</source>
        <translation>Monitorizando el sensor óptico de la impresora...</translation>
    </message>
    <message>
        <source>Monitoring Near End Of Paper opto-sensor...</source>
        <translation>Monitorizando el sensor óptico de casi sin papel...</translation>
    </message>
    <message>
        <source>The printer does not answer at 57600 bauds.</source>
        <translation>La impresora no responde a 57600 baudios.</translation>
    </message>
</context>
<context>
    <name>PortAccess</name>
    <message>
        <source>%1.<byte value="xd"/>
This user may not use %2. On Debian and similar systems the serial ports belong to the group &quot;dialout&quot;: add the user to it (sudo adduser %3 dialout), then log out and log in again</source>
        <translation>%1.<byte value="xd"/>
Este usuario no puede usar %2. En Debian y sistemas similares los puertos serie pertenecen al grupo «dialout»: añada el usuario a él (sudo adduser %3 dialout) y cierre la sesión y vuelva a entrar</translation>
    </message>
</context>
<context>
    <name>PortSelection</name>
    <message>
        <source>Xon-Xoff</source>
        <translation>Xon-Xoff</translation>
    </message>
    <message>
        <source>DSR/DTR Mode</source>
        <translation>Modo DSR/DTR</translation>
    </message>
    <message>
        <source>No printer found yet, please start detection.</source>
        <translation>Aún no hay impresora, inicie la detección.</translation>
    </message>
    <message>
        <source>You must select a serial port</source>
        <translation>Debe elegir un puerto serie</translation>
    </message>
    <message>
        <source>This port does not exist</source>
        <translation>Este puerto no existe</translation>
    </message>
    <message>
        <source>%1 found on COM%2 at %3 bauds</source>
        <translation>%1 encontrada en COM%2 a %3 baudios</translation>
    </message>
    <message>
        <source>The previous firmware upgrade has not been completed <byte value="xd"/>
successfully, or the firmware has been corrupted.<byte value="xd"/>
<byte value="xd"/>
Please, flash the printer firmware.</source>
        <translation>La última actualización del firmware no terminó <byte value="xd"/>
correctamente, o el firmware está dañado.<byte value="xd"/>
<byte value="xd"/>
Vuelva a grabar el firmware de la impresora.</translation>
    </message>
</context>
<context>
    <name>Printer::Detector</name>
    <message>
        <source>Trying to wake-up the printer</source>
        <translation>Despertando la impresora</translation>
    </message>
    <message>
        <source>Attempting to contact printer on COM %1 at %2 bauds.</source>
        <translation>Buscando impresora en COM %1 a %2 baudios.</translation>
    </message>
    <message>
        <source>No printer found</source>
        <translation>No se encontró ninguna impresora</translation>
    </message>
    <message>
        <source>Attempting to contact printer in BIOS mode on COM%1</source>
        <translation>Buscando impresora en modo BIOS en COM%1</translation>
    </message>
    <message>
        <source>No printer found on COM %1 at %2 bauds</source>
        <translation>Sin impresora en COM %1 a %2 baudios</translation>
    </message>
    <message>
        <source>%1 found on COM %2 at %3 bauds</source>
        <translation>%1 detectada: COM %2, %3 baudios</translation>
    </message>
</context>
<context>
    <name>Printer::Sampler</name>
    <message>
        <source>Waiting for %1 to come back...</source>
        <translation>Esperando a que vuelva %1...</translation>
    </message>
    <message>
        <source>%1 is back: monitoring goes on.</source>
        <translation>%1 ha vuelto: la monitorización sigue.</translation>
    </message>
    <message>
        <source>the printer&apos;s speed could not be switched</source>
        <translation>no se pudo cambiar la velocidad de la impresora</translation>
    </message>
    <message>
        <source>the printer cannot be written to</source>
        <translation>no se puede escribir en la impresora</translation>
    </message>
    <message>
        <source>Waiting for the printer on %1 to answer...</source>
        <translation>Esperando a que responda la impresora en %1...</translation>
    </message>
    <message>
        <source>The printer on %1 does not answer at 57600 bauds.</source>
        <translation>La impresora en %1 no responde a 57600 baudios.</translation>
    </message>
    <message>
        <source>the printer&apos;s speed could not be put back</source>
        <translation>no se pudo restablecer la velocidad de la impresora</translation>
    </message>
</context>
<context>
    <name>QNativeSocketEngine</name>
    <message>
        <source>Connection refused</source>
        <translation>Conexión rechazada</translation>
    </message>
    <message>
        <source>Host unreachable</source>
        <translation>Host inaccesible</translation>
    </message>
    <message>
        <source>Network unreachable</source>
        <translation>Red inaccesible</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>the command could not be written to the port</source>
        <translation>no se pudo escribir la orden en el puerto</translation>
    </message>
    <message>
        <source>%1 is too large to be a port entry</source>
        <translation>%1 es demasiado grande para una entrada de puerto</translation>
    </message>
    <message>
        <source>%1 cannot be read: %2</source>
        <translation>No se puede leer %1: %2</translation>
    </message>
    <message>
        <source>%1 holds no address of the form rfc2217://HOST:PORT on its first line</source>
        <translation>%1 no contiene en su primera línea una dirección de la forma rfc2217://HOST:PORT</translation>
    </message>
    <message>
        <source>%1 leads to %2, which is no serial device</source>
        <translation>%1 apunta a %2, que no es un dispositivo serie</translation>
    </message>
    <message>
        <source>%1 is for a port the wizard does not have: only COM%2 to COM%3 are ports</source>
        <translation>%1 es para un puerto que el asistente no tiene: solo COM%2 a COM%3 son puertos</translation>
    </message>
    <message>
        <source>%1 is for a port the wizard does not have: only COM1 to COM%2 are ports</source>
        <translation>%1 es para un puerto que el asistente no tiene: solo COM1 a COM%2 son puertos</translation>
    </message>
    <message>
        <source>%1 names neither a device (COM12) nor an address (rfc2217://HOST:PORT) on its first line</source>
        <translation>%1 no indica en su primera línea ni un dispositivo (COM12) ni una dirección (rfc2217://HOST:PORT)</translation>
    </message>
</context>
<context>
    <name>Record</name>
    <message>
        <source>Time base: %1ms</source>
        <translation>Base de tiempo: %1 ms</translation>
    </message>
    <message>
        <source>DSR/DTR Mode</source>
        <translation>Modo DSR/DTR</translation>
    </message>
    <message>
        <source>Xon-Xoff</source>
        <translation>Xon-Xoff</translation>
    </message>
    <message>
        <source>Printer: %1</source>
        <translation>Impresora: %1</translation>
    </message>
    <message>
        <source>(not asked: the link was given)</source>
        <translation>(no consultada: se dio el enlace)</translation>
    </message>
    <message>
        <source>Sensor: Near End Of Paper opto-sensor</source>
        <translation>Sensor: sensor óptico de casi sin papel</translation>
    </message>
    <message>
        <source>Sensor: printer opto-sensor</source>
        <translation>Sensor: sensor óptico de la impresora</translation>
    </message>
    <message>
        <source>Sensor: printer opto-sensor, transmissive</source>
        <translation>Sensor: sensor óptico de la impresora, de transmisión</translation>
    </message>
    <message>
        <source>Sensor: printer opto-sensor, reflective</source>
        <translation>Sensor: sensor óptico de la impresora, de reflexión</translation>
    </message>
    <message>
        <source>Near-end state: paper near its end</source>
        <translation>Casi sin papel: el papel se acaba</translation>
    </message>
    <message>
        <source>Near-end state: enough paper</source>
        <translation>Casi sin papel: papel suficiente</translation>
    </message>
    <message>
        <source>Transmitive Optosensor</source>
        <translation>Sensor óptico de transmisión</translation>
    </message>
    <message>
        <source>Reflective Optosensor</source>
        <translation>Sensor óptico de reflexión</translation>
    </message>
    <message>
        <source>Black Level : %1</source>
        <translation>Nivel de negro: %1</translation>
    </message>
    <message>
        <source>Mark / Backing Level : %1</source>
        <translation>Nivel de marca / soporte: %1</translation>
    </message>
    <message>
        <source>Paper Level : %1</source>
        <translation>Nivel de papel: %1</translation>
    </message>
    <message>
        <source>Paper Threshold : %1</source>
        <translation>Umbral de papel: %1</translation>
    </message>
    <message>
        <source>Mark / Backing Threshold : %1</source>
        <translation>Umbral de marca / soporte: %1</translation>
    </message>
    <message>
        <source>Port: COM%1, %2</source>
        <translation>Puerto: COM%1, %2</translation>
    </message>
    <message>
        <source>Speed: %1 bauds, %2</source>
        <translation>Velocidad: %1 baudios, %2</translation>
    </message>
    <message>
        <source>Recorded: %1</source>
        <translation>Registrado: %1</translation>
    </message>
    <message>
        <source>Recorded by %1</source>
        <translation>Registrado con %1</translation>
    </message>
    <message>
        <source>Sensor record</source>
        <translation>Registro del sensor</translation>
    </message>
    <message>
        <source>The record could not be written to %1: %2</source>
        <translation>No se pudo escribir el registro en %1: %2</translation>
    </message>
    <message>
        <source>The record cannot be written to %1: the file name must end in .png, .pdf or .csv</source>
        <translation>No se puede escribir el registro en %1: el nombre del archivo debe terminar en .png, .pdf o .csv</translation>
    </message>
</context>
<context>
    <name>RecordMenu</name>
    <message>
        <source>Chart</source>
        <translation>Gráfico</translation>
    </message>
    <message>
        <source>Save picture...</source>
        <translation>Guardar imagen...</translation>
    </message>
    <message>
        <source>Save samples...</source>
        <translation>Guardar muestras...</translation>
    </message>
    <message>
        <source>Save picture</source>
        <translation>Guardar imagen</translation>
    </message>
    <message>
        <source>Save samples</source>
        <translation>Guardar muestras</translation>
    </message>
    <message>
        <source>Picture (*.png);;PDF document (*.pdf)</source>
        <translation>Imagen (*.png);;Documento PDF (*.pdf)</translation>
    </message>
    <message>
        <source>Samples (*.csv)</source>
        <translation>Muestras (*.csv)</translation>
    </message>
</context>
<context>
    <name>RemoteLine</name>
    <message>
        <source>%1 is not an address of the form rfc2217://HOST:PORT</source>
        <translation>%1 no es una dirección de la forma rfc2217://HOST:PUERTO</translation>
    </message>
    <message>
        <source>%1 did not take the connection within %2 s</source>
        <translation>%1 no aceptó la conexión en %2 s</translation>
    </message>
    <message>
        <source>%1 is not connected</source>
        <translation>%1 no está conectado</translation>
    </message>
    <message>
        <source>%1 does not accept speed changes</source>
        <translation>%1 no acepta cambios de velocidad</translation>
    </message>
    <message>
        <source>%1 set the line to %2 bauds instead of %3</source>
        <translation>%1 puso la línea a %2 baudios en vez de %3</translation>
    </message>
    <message>
        <source>unknown</source>
        <translation>desconocida</translation>
    </message>
    <message>
        <source>the port was closed</source>
        <translation>se cerró el puerto</translation>
    </message>
    <message>
        <source>%1 closed the connection</source>
        <translation>%1 cerró la conexión</translation>
    </message>
    <message>
        <source>the program is ending</source>
        <translation>el programa se está cerrando</translation>
    </message>
</context>
<context>
    <name>SerialDevices</name>
    <message>
        <source>No device has the number %1</source>
        <translation>Ningún dispositivo tiene el número %1</translation>
    </message>
</context>
<context>
    <name>SplashScreen</name>
    <message>
        <source>Rev: %1</source>
        <translation>Rev.: %1</translation>
    </message>
</context>
<context>
    <name>Step1</name>
    <message>
        <source>Search again</source>
        <translation>Buscar de nuevo</translation>
    </message>
</context>
<context>
    <name>Step2</name>
    <message>
        <source>The Near End Of Paper extension has not been detected !<byte value="xd"/>
Can not calibrate or monitor the Near End Of Paper opto-sensor.</source>
        <translation>¡No se ha detectado la extensión de casi sin papel!<byte value="xd"/>
No se puede calibrar ni monitorizar el sensor de casi sin papel.</translation>
    </message>
    <message>
        <source>Please, select an opto sensor and an action to perform</source>
        <translation>Elija un sensor y una acción</translation>
    </message>
</context>
<context>
    <name>Step3</name>
    <message>
        <source>It seems that the paper is not removed from the printer.<byte value="xd"/>
Please, remove it.<byte value="xd"/>
<byte value="xd"/>
Note: If the opto-sensor is not well calibrated, the paper detection<byte value="xd"/>
may not be correct. In that case, click on cancel.</source>
        <translation>Parece que el papel no se ha retirado de la impresora.<byte value="xd"/>
Retírelo, por favor.<byte value="xd"/>
<byte value="xd"/>
Nota: si el sensor no está bien calibrado, la detección del papel<byte value="xd"/>
puede no ser correcta. En ese caso, pulse Cancelar.</translation>
    </message>
</context>
</TS>
