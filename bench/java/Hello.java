// The program whose start-up the benchmark times: as little Java work as a program can do.
public class Hello {
    public static void main(String[] args) {
        System.out.println("Hello, world");
    }
}
